#include "app/AppNavigation.h"

#include "common/SharedInstance.h"

AppNavigation& AppNavigation::shared() {
    return SharedInstance<AppNavigation>::get();
}

void AppNavigation::setSection(AppSection section) {
    if (section == current)
        return;
    current = section;
    Q_EMIT sectionChanged(section);
}
