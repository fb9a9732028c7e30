#pragma once

#include "autofill/FieldMatcher.h"
#include "platform/Accessibility.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <iosfwd>
#include <optional>

class Clock;
class FrontmostApplication;
class KeyboardTyper;
class ProfileStore;
class UserDefaults;

// Watches which text field has the keyboard focus in the frontmost
// application and fills it from the profile, or learns what the user types
// into a field the profile has no answer for.
//
// GUI thread only: a timer polls every 0.3 s, and where the accessibility
// service reports focus moves, a move brings the next tick forward (several
// moves before it runs bring one). While focus rests a tick costs one read of
// the accessibility tree (two while learning); every read is bounded by the
// accessibility time-out.
class AutoFill : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 300;

    struct Services {
        Accessibility& accessibility;
        FrontmostApplication& applications;
        KeyboardTyper& typer;
        UserDefaults& defaults;
        ProfileStore& profile;
        const Clock& clock;
        // Shows a short message in the notch panel.
        std::function<void(const QString&)> flash;
        qint64 ownPid = 0;
        // TOVIK_AUTOFILL_PID: watch this process instead of the frontmost.
        std::optional<qint64> watchedPid;
        // TOVIK_AUTOFILL_DEBUG: one line per focused field.
        std::ostream* debug = nullptr;
        // How long a filled value is given before it is read back.
        int readBackDelayMs = 40;
    };

    explicit AutoFill(Services services, QObject* parent = nullptr);
    ~AutoFill() override;

    void start();
    void tick();

    bool enabled() const;
    // Persists "autofillEnabled"; switching on asks for accessibility.
    void setEnabled(bool on);
    bool learns() const;
    void setLearns(bool on);

    // For tests and diagnostics.
    int handledCount() const { return int(handled.size()); }

Q_SIGNALS:
    // After setEnabled changed the stored switch.
    void enabledChanged(bool on);

private:
    struct Focus {
        AXElement element;
        FillTarget target;
        QString typed;
        bool learnable = false;
    };

    void focusArrived(const AXElement& element);
    void focusLeft();
    bool fill(const AXElement& element, const QString& value);
    void focusMoved();

    Services s;
    QTimer timer;
    AXElement appElement;
    qint64 appPid = 0;
    QSet<qint64> wokenPids;
    AXElement lastElement;
    std::optional<Focus> current;
    QList<AXElement> handled;
    bool trusted = false;
    std::optional<QDateTime> lastTrustCheck;
    int focusListener = 0;
    std::atomic<bool> focusTickQueued{false};
};
