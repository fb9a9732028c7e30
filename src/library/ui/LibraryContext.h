#pragma once

#include <QUrl>
#include <functional>

class ClipboardWatcher;
class Clock;
class ImageCache;
class Scheduler;
class Store;
class UserDefaults;

// The services the library page and its cards work with: the process's
// shared ones in the app, doubles in tests.
struct LibraryContext {
    Store& store;
    ImageCache& images;
    ClipboardWatcher& watcher; // copies go through it so they are not offered back
    Clock& clock;
    Scheduler& scheduler;
    UserDefaults& defaults;
    std::function<void(const QUrl&)> openUrl;

    static LibraryContext& shared();
};
