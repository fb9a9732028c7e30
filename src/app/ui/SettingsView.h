#pragma once

#include "common/ui/ControlPage.h"

class AppSettings;
class AppState;
class AutoFill;
class ChatBlur;
class QCheckBox;
class QComboBox;
class QLabel;

// The settings page: what is kept ("Saving"), the two tools, and the app's
// appearance, launching at login and hot key. Every switch writes through
// at once and follows changes made elsewhere (the tray menu) while shown.
class SettingsView : public ControlPage {
    Q_OBJECT
public:
    // autofill may be null (a session without the engine): its row is absent.
    SettingsView(AppState& state, AppSettings& settings, AutoFill* autofill, ChatBlur& chatBlur,
                 QWidget* parent = nullptr);

    QCheckBox* watcherSwitch() const { return watcher; }
    QCheckBox* dropSwitch() const { return drop; }
    QCheckBox* autofillSwitch() const { return fill; }
    QCheckBox* blurSwitch() const { return blur; }
    QComboBox* appearancePicker() const { return appearance; }
    // Null when this build's application id may not launch at login.
    QCheckBox* loginSwitch() const { return login; }
    QLabel* hotKeyLabel() const { return hotKey; }

    // The hot key as this desktop writes it.
    static QString hotKeyText();

private:
    void showAppearance(const QString& value);

    AppSettings& settings;
    QCheckBox* watcher;
    QCheckBox* drop;
    QCheckBox* fill = nullptr;
    QCheckBox* blur;
    QComboBox* appearance;
    QCheckBox* login = nullptr;
    QLabel* hotKey;
};
