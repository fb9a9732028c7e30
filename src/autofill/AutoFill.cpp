#include "autofill/AutoFill.h"

#include "autofill/ProfileStore.h"
#include "platform/Clock.h"
#include "platform/DefaultsKeys.h"
#include "platform/FrontmostApplication.h"
#include "platform/KeyboardTyper.h"
#include "platform/UserDefaults.h"

#include <QThread>
#include <ostream>

using namespace Qt::StringLiterals;

namespace {
constexpr int kHandledLimit = 80;
constexpr int kHandledDrop = 40;
constexpr qint64 kTrustCheckMs = 2000;

const QStringList& browserPrefixes() {
    static const QStringList prefixes{u"com.google.Chrome"_s,          u"com.brave.Browser"_s,
                                      u"com.microsoft.edgemac"_s,      u"ai.perplexity.comet"_s,
                                      u"company.thebrowser.Browser"_s, u"company.thebrowser.dia"_s,
                                      u"com.vivaldi.Vivaldi"_s,        u"com.operasoftware.Opera"_s,
                                      u"org.chromium.Chromium"_s,      u"org.mozilla.firefox"_s};
    return prefixes;
}

QString squeezed(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (!c.isSpace())
            out.append(c.toLower());
    }
    return out;
}

QString targetText(const FillTarget& target) {
    if (target.field)
        return u"profile("_s + ProfileFields::id(*target.field) + u')';
    return u"custom("_s + target.key + u')';
}
} // namespace

AutoFill::AutoFill(Services services, QObject* parent) : QObject(parent), s(std::move(services)) {
    timer.setInterval(kTickMs);
    connect(&timer, &QTimer::timeout, this, &AutoFill::tick);
}

AutoFill::~AutoFill() {
    // The listener may be running on the accessibility thread; once removed
    // it can no longer reach this object.
    s.accessibility.removeFocusListener(focusListener);
}

void AutoFill::start() {
    s.accessibility.followFocusEvents();
    if (focusListener == 0)
        focusListener = s.accessibility.addFocusListener([this] { focusMoved(); });
    timer.start();
}

void AutoFill::focusMoved() {
    // Any thread. Waiting for the poll would add up to a whole interval to
    // every fill; a burst of moves (a page focusing its first field, the user
    // tabbing fast) costs one tick, which reads wherever focus has come to rest.
    if (focusTickQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            focusTickQueued = false;
            tick();
        },
        Qt::QueuedConnection);
}

bool AutoFill::enabled() const {
    return DefaultsKeys::read(s.defaults, DefaultsKeys::autofillEnabled).toBool();
}

void AutoFill::setEnabled(bool on) {
    const bool was = enabled();
    s.defaults.set(DefaultsKeys::autofillEnabled, on);
    if (on)
        s.accessibility.enable();
    if (was != on)
        Q_EMIT enabledChanged(on);
}

bool AutoFill::learns() const {
    return DefaultsKeys::read(s.defaults, DefaultsKeys::autofillLearns).toBool();
}

void AutoFill::setLearns(bool on) {
    s.defaults.set(DefaultsKeys::autofillLearns, on);
}

void AutoFill::tick() {
    if (!enabled()) {
        current.reset();
        return;
    }
    if (!trusted) {
        const QDateTime now = s.clock.now();
        if (lastTrustCheck && lastTrustCheck->msecsTo(now) <= kTrustCheckMs)
            return;
        lastTrustCheck = now;
        trusted = s.accessibility.isEnabled();
        if (!trusted)
            return;
    }
    const std::optional<RunningApplication> app =
        s.watchedPid ? s.applications.running(*s.watchedPid) : s.applications.frontmost();
    if (!app) {
        focusLeft();
        return;
    }
    if (app->pid == s.ownPid) {
        focusLeft();
        return;
    }
    if (app->pid != appPid) {
        focusLeft();
        appPid = app->pid;
        appElement = s.accessibility.application(app->pid);
        const bool browser = std::any_of(
            browserPrefixes().begin(), browserPrefixes().end(),
            [&](const QString& prefix) { return app->applicationId.startsWith(prefix); });
        if (appElement && browser && !wokenPids.contains(app->pid)) {
            wokenPids.insert(app->pid);
            appElement.setBool(AX::enhancedUserInterface, true);
        }
    }
    if (!appElement) {
        // The application had no tree when it came to the front; a browser
        // may build one a moment later.
        appElement = s.accessibility.application(app->pid);
        if (!appElement) {
            focusLeft();
            return;
        }
    }
    const AXElement focused = appElement.element(AX::focusedUIElement);
    if (!focused) {
        focusLeft();
        return;
    }
    if (focused == lastElement) {
        if (current && current->learnable) {
            if (const auto value = focused.string(AX::value))
                current->typed = *value;
        }
        return;
    }
    focusLeft();
    lastElement = focused;
    focusArrived(focused);
}

void AutoFill::focusArrived(const AXElement& element) {
    const auto role = element.string(AX::role);
    const auto subrole = element.string(AX::subrole);
    const bool fillable = role == AX::textFieldRole && subrole != AX::secureTextFieldSubrole &&
                          subrole != AX::searchFieldSubrole;
    // Read once for the diagnostic line and the decision alike: the field's
    // texts cost a few dozen calls into the browser, all between the focus
    // and the fill.
    FieldTexts texts;
    std::optional<FieldMatcher::Identified> identified;
    if (fillable) {
        texts = readFieldTexts(element);
        identified = FieldMatcher::identify(texts);
    }
    const bool web = fillable && (identified || s.debug) && isInsideWebPage(element);
    if (s.debug) {
        *s.debug << "focus role=" << role.value_or(u"-"_s).toStdString()
                 << " sub=" << subrole.value_or(u"-"_s).toStdString()
                 << " label=" << texts.before.value_or(u"-"_s).toStdString()
                 << " picker=" << (texts.hasCountryPicker ? "true" : "false")
                 << " target=" << (identified ? targetText(identified->target).toStdString() : "-")
                 << " web=" << (web ? "true" : "false") << " value="
                 << (subrole == AX::secureTextFieldSubrole
                         ? std::string("(hidden)")
                         : texts.value.value_or(u"-"_s).toStdString())
                 << '\n';
        s.debug->flush();
    }
    if (!identified || !web)
        return;
    const QString currentText = element.string(AX::value).value_or(QString());
    std::optional<QString> value = s.profile.fillValue(identified->target);
    if (!value) {
        current = Focus{element, identified->target, currentText, currentText.trimmed().isEmpty()};
        return;
    }
    current = Focus{element, identified->target, currentText, false};
    if (!currentText.trimmed().isEmpty())
        return;
    if (handled.contains(element))
        return;
    if (identified->target.field == ProfileField::phone && identified->hasCountryPicker)
        value = ProfileStore::nationalNumber(*value);
    handled.append(element);
    if (handled.size() > kHandledLimit)
        handled.remove(0, kHandledDrop);
    const bool filled = fill(element, *value);
    if (s.debug) {
        *s.debug << "fill target=" << targetText(identified->target).toStdString()
                 << " result=" << (filled ? "filled" : "failed") << '\n';
        s.debug->flush();
    }
    if (filled)
        s.flash(u"Filled "_s + identified->target.flashName());
}

void AutoFill::focusLeft() {
    if (current && current->learnable && learns()) {
        const QString typed = current->element.string(AX::value).value_or(current->typed);
        const FillTarget& target = current->target;
        const bool ownQuestion =
            !target.isProfile() && FieldMatcher::normalize(typed) == target.key;
        if (!ownQuestion && s.profile.learn(typed, target))
            s.flash(u"Remembered "_s + target.flashName());
    }
    current.reset();
    lastElement = {};
}

bool AutoFill::fill(const AXElement& element, const QString& value) {
    if (element.setString(AX::value, value)) {
        if (s.readBackDelayMs > 0)
            QThread::msleep(ulong(s.readBackDelayMs));
        const std::optional<QString> back = element.string(AX::value);
        if (back && squeezed(*back) == squeezed(value))
            return true;
        if (back && !back->isEmpty())
            return false;
    }
    return s.typer.type(value);
}
