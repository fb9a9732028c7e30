#include "app/ui/SettingsView.h"

#include "app/AppSettings.h"
#include "autofill/AutoFill.h"
#include "capture/AppState.h"
#include "chatblur/ChatBlur.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

QCheckBox* makeSwitch(const QString& name, const QString& label, bool on) {
    auto* box = new QCheckBox;
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setChecked(on);
    return box;
}

// Keeps a switch in step with its owner without echoing the change back.
void follow(QCheckBox* box, bool on) {
    if (box->isChecked() != on)
        box->setChecked(on);
}

} // namespace

SettingsView::SettingsView(AppState& state, AppSettings& settings, AutoFill* autofill,
                           ChatBlur& chatBlur, QWidget* parent)
    : ControlPage(u"Settings"_s, u"How Tovik behaves across your desktop."_s, parent),
      settings(settings) {
    setObjectName(u"settingsView"_s);

    ControlSection* saving = addSection(u"Saving"_s);
    watcher = makeSwitch(u"watcher"_s, u"Ask to keep what I copy"_s, state.watcherEnabled());
    saving->addRow(u"Ask to keep what I copy"_s, watcher);
    connect(watcher, &QCheckBox::toggled, &state, [&state](bool on) {
        if (state.watcherEnabled() != on)
            state.setWatcherEnabled(on);
    });
    connect(&state, &AppState::watcherEnabledChanged, watcher,
            [this](bool on) { follow(watcher, on); });
    drop = makeSwitch(u"dropOnNotch"_s, u"Drop on the notch to save"_s, state.dropOnNotchEnabled());
    saving->addRow(u"Drop on the notch to save"_s, drop);
    connect(drop, &QCheckBox::toggled, &state, [&state](bool on) {
        if (state.dropOnNotchEnabled() != on)
            state.setDropOnNotchEnabled(on);
    });
    connect(&state, &AppState::dropOnNotchEnabledChanged, drop,
            [this](bool on) { follow(drop, on); });

    ControlSection* tools = addSection(u"Tools"_s);
    if (autofill) {
        fill = makeSwitch(u"autofill"_s, u"Autofill web forms"_s, autofill->enabled());
        tools->addRow(u"Autofill web forms"_s, fill);
        connect(fill, &QCheckBox::toggled, autofill, [autofill](bool on) {
            if (autofill->enabled() != on)
                autofill->setEnabled(on);
        });
        connect(autofill, &AutoFill::enabledChanged, fill, [this](bool on) { follow(fill, on); });
    }
    blur = makeSwitch(u"chatBlur"_s, u"Blur chat lists"_s, chatBlur.enabled());
    tools->addRow(u"Blur chat lists"_s, blur);
    connect(blur, &QCheckBox::toggled, &chatBlur, [&chatBlur](bool on) {
        if (chatBlur.enabled() != on)
            chatBlur.setEnabled(on);
    });
    connect(&chatBlur, &ChatBlur::enabledChanged, blur, [this](bool on) { follow(blur, on); });

    ControlSection* app = addSection(u"App"_s);
    appearance = new QComboBox;
    appearance->setObjectName(u"appearance"_s);
    appearance->setAccessibleName(u"Appearance"_s);
    appearance->addItem(u"System"_s, u"system"_s);
    appearance->addItem(u"Light"_s, u"light"_s);
    appearance->addItem(u"Dark"_s, u"dark"_s);
    showAppearance(settings.appearance());
    app->addRow(u"Appearance"_s, appearance);
    connect(appearance, &QComboBox::activated, this, [this](int index) {
        this->settings.setAppearance(appearance->itemData(index).toString());
    });
    connect(&settings, &AppSettings::appearanceChanged, this, &SettingsView::showAppearance);

    if (settings.loginItemGateHolds()) {
        login = makeSwitch(u"launchAtLogin"_s, u"Launch at login"_s, settings.launchesAtLogin());
        app->addRow(u"Launch at login"_s, login);
        connect(login, &QCheckBox::toggled, this, [this](bool on) {
            this->settings.setLaunchesAtLogin(on);
            // A registration that failed shows the truth, read back.
            follow(login, this->settings.launchesAtLogin());
        });
        connect(&settings, &AppSettings::launchesAtLoginChanged, login,
                [this] { follow(login, this->settings.launchesAtLogin()); });
    }

    hotKey = new QLabel(hotKeyText());
    hotKey->setObjectName(u"hotKey"_s);
    app->addRow(u"Open Tovik from anywhere"_s, hotKey);
}

QString SettingsView::hotKeyText() {
    return QKeySequence(Qt::ALT | Qt::Key_Space).toString(QKeySequence::NativeText);
}

void SettingsView::showAppearance(const QString& value) {
    // A stored value that is none of the three stays as it is and selects
    // nothing here; it behaves as "system".
    appearance->setCurrentIndex(appearance->findData(value));
}
