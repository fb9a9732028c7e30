#include "common/ui/FirstPaint.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaintWatch final : public QObject {
public:
    FirstPaintWatch(QWidget* widget, std::function<void()> then)
        : QObject(widget), then(std::move(then)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The paint event is not done yet; the frame is, once the loop
            // comes back. The widget owns this watch, so both outlive the call
            // or neither does.
            QTimer::singleShot(0, this, [this] {
                then();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> then;
};

} // namespace

void afterFirstPaint(QWidget* widget, std::function<void()> then) {
    new FirstPaintWatch(widget, std::move(then));
}
