#pragma once

class AppState;
class FrontmostApplication;
class QMimeData;
class Scheduler;
class Store;

// What happens when something is dragged over a notch panel: the panel opens
// its drop zone while drops are switched on, and a drop is saved into the
// store and confirmed with a flash.
class NotchDropDelegate {
public:
    NotchDropDelegate(AppState& state, Store& store, Scheduler& scheduler,
                      FrontmostApplication& frontmost);

    bool validateDrop() const;
    void dropEntered();
    void dropExited();
    // True when the drop carried something the panel takes; the saving
    // itself runs a moment later on the main thread.
    bool performDrop(const QMimeData& data);

private:
    AppState& state;
    Store& store;
    Scheduler& scheduler;
    FrontmostApplication& frontmost;
};
