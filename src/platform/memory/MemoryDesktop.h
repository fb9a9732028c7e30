#pragma once

#include "platform/KeyboardTyper.h"
#include "platform/OverlayPanel.h"
#include "platform/PointerMonitor.h"

#include <QList>
#include <QStringList>

// Keys typed go into a list the test reads.
class MemoryKeyboardTyper final : public KeyboardTyper {
public:
    bool type(const QString& text) override {
        if (!works)
            return false;
        typed.append(text);
        return true;
    }
    QStringList typed;
    bool works = true;
};

// The pointer is wherever the test puts it; wheel() plays a scroll step.
class MemoryPointerMonitor final : public PointerMonitor {
public:
    std::optional<QPoint> position() override { return pointer; }
    bool startWheelMonitor(std::function<void()> onWheel) override {
        handler = std::move(onWheel);
        return true;
    }
    void stopWheelMonitor() override { handler = nullptr; }
    void wheel() {
        if (handler)
            handler();
    }
    bool monitoring() const { return bool(handler); }

    std::optional<QPoint> pointer;

private:
    std::function<void()> handler;
};

// Panels that only remember where they are; the test reads them all.
class MemoryOverlayPanels final : public OverlayPanels {
public:
    struct State {
        QRect frame;
        bool visible = false;
        int moves = 0;
    };

    std::unique_ptr<OverlayPanel> makeFrostedPanel() override {
        states.append(std::make_shared<State>());
        return std::make_unique<Panel>(states.last());
    }
    // Every panel made so far, in order, including those since deleted.
    QList<std::shared_ptr<State>> states;

private:
    class Panel final : public OverlayPanel {
    public:
        explicit Panel(std::shared_ptr<State> state) : state(std::move(state)) {}
        ~Panel() override { state->visible = false; }
        void setFrame(const QRect& frame) override {
            if (frame == state->frame)
                return;
            state->frame = frame;
            state->moves++;
        }
        QRect frame() const override { return state->frame; }
        void show() override { state->visible = true; }
        void hide() override { state->visible = false; }
        bool isVisible() const override { return state->visible; }

    private:
        std::shared_ptr<State> state;
    };
};
