#pragma once

#include "app/AppSection.h"

#include <QObject>

// The section the main window shows; memory at every launch, never stored.
class AppNavigation : public QObject {
    Q_OBJECT
public:
    static AppNavigation& shared();

    AppSection section() const { return current; }
    void setSection(AppSection section);

Q_SIGNALS:
    void sectionChanged(AppSection section);

private:
    AppSection current = AppSection::memory;
};
