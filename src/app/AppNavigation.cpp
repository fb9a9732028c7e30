#include "app/AppNavigation.h"

AppNavigation& AppNavigation::shared() {
    static AppNavigation navigation;
    return navigation;
}

void AppNavigation::setSection(AppSection section) {
    if (section == current)
        return;
    current = section;
    Q_EMIT sectionChanged(section);
}
