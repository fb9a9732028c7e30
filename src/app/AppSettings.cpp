#include "app/AppSettings.h"

#include "common/SharedInstance.h"
#include "platform/Appearance.h"
#include "platform/DefaultsKeys.h"
#include "platform/LoginItem.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

using namespace Qt::StringLiterals;

AppSettings::AppSettings(UserDefaults& defaults, Appearance& appearance, LoginItem& loginItem,
                         QString applicationId)
    : defaults(defaults), appearanceService(appearance), loginItem(loginItem),
      applicationId(std::move(applicationId)) {
    currentAppearance = DefaultsKeys::read(defaults, DefaultsKeys::appearance).toString();
}

AppSettings& AppSettings::shared() {
    return SharedInstance<AppSettings>::get();
}

void AppSettings::setAppearance(const QString& appearance) {
    currentAppearance = appearance;
    defaults.set(DefaultsKeys::appearance, appearance);
    apply();
    Q_EMIT appearanceChanged(appearance);
}

void AppSettings::apply() {
    // Unknown values behave as "system".
    if (currentAppearance == u"light"_s || currentAppearance == u"dark"_s)
        appearanceService.apply(currentAppearance);
    else
        appearanceService.apply(u"system"_s);
}

bool AppSettings::loginItemGateHolds() const {
    return applicationId.startsWith(u"com.nivo"_s);
}

bool AppSettings::launchesAtLogin() const {
    return loginItemGateHolds() && loginItem.isEnabled();
}

void AppSettings::setLaunchesAtLogin(bool launches) {
    if (!loginItemGateHolds())
        return;
    if (launches)
        loginItem.registerItem();
    else
        loginItem.unregisterItem();
    Q_EMIT launchesAtLoginChanged();
}

void AppSettings::registerLoginItemOnFirstLaunch() {
    if (!loginItemGateHolds() || defaults.boolValue(DefaultsKeys::didConfigureLoginItem))
        return;
    // The marker first: a failed registration is never retried on its own.
    defaults.set(DefaultsKeys::didConfigureLoginItem, true);
    loginItem.registerItem();
}
