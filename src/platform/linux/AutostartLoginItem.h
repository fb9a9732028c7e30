#pragma once

#include "platform/LoginItem.h"

#include <QString>

// Launch at login as an XDG autostart entry: enabled while
// $XDG_CONFIG_HOME/autostart/<application id>.desktop exists and is not
// marked Hidden=true.
class AutostartLoginItem final : public LoginItem {
public:
    AutostartLoginItem(QString entryPath, QString executable);

    // The entry of the application id in the current user's config folder.
    static QString defaultEntryPath(const QString& applicationId);
    // The absolute path of this process's executable.
    static QString runningExecutable();

    bool isEnabled() const override;
    void registerItem() override;
    void unregisterItem() override;

    const QString& entryPath() const { return path; }

private:
    QString path;
    QString executable;
};
