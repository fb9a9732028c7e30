#pragma once

#include <QObject>
#include <QString>

class Appearance;
class LoginItem;
class UserDefaults;

// The application-wide settings: the appearance and launching at login.
class AppSettings : public QObject {
    Q_OBJECT
public:
    // applicationId gates every login-item operation: only ids of the
    // "com.nivo" family register themselves.
    AppSettings(UserDefaults& defaults, Appearance& appearance, LoginItem& loginItem,
                QString applicationId);

    static AppSettings& shared();

    // The stored "appearance", "light" when nothing is stored.
    const QString& appearance() const { return currentAppearance; }
    // Stores the new value, then applies it.
    void setAppearance(const QString& appearance);
    void apply();

    bool loginItemGateHolds() const;
    bool launchesAtLogin() const;
    void setLaunchesAtLogin(bool launches);
    // Registers the login item once, on the first launch ever.
    void registerLoginItemOnFirstLaunch();

    UserDefaults& userDefaults() const { return defaults; }

    static constexpr const char* applicationIdentifier = "com.nivo.lumavex";

Q_SIGNALS:
    void appearanceChanged(const QString& appearance);
    void launchesAtLoginChanged();

private:
    UserDefaults& defaults;
    Appearance& appearanceService;
    LoginItem& loginItem;
    QString applicationId;
    QString currentAppearance;
};
