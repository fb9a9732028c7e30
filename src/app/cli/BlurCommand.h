#pragma once

#include "app/cli/Command.h"

#include <optional>

class Accessibility;
class BlurSiteStore;
class Environment;
class FrontmostApplication;

// `tovik blur sites|add|remove|enable|disable|site|scan`: the sites whose
// chat lists Tovik covers, and what it would cover in the browser right now.
class BlurCommand final : public Command {
public:
    // Null services mean the process's own.
    explicit BlurCommand(BlurSiteStore* store = nullptr, Accessibility* accessibility = nullptr,
                         FrontmostApplication* applications = nullptr,
                         const Environment* environment = nullptr);

    QString name() const override;
    QString summary() const override;
    // Changing the list is handed to the running app, which owns it.
    using Command::changesData;
    bool changesDataWith(const QStringList& arguments) const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

private:
    int scan(std::optional<qint64> pid, bool json, CommandStreams& streams);

    BlurSiteStore* store;
    Accessibility* accessibility;
    FrontmostApplication* applications;
    const Environment* environment;
};
