#pragma once

#include "app/cli/Command.h"

// tovik add text|link|file|image: keeps something in the store exactly as a
// copy kept from the clipboard would be.
class AddCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
    QStringList resolvePaths(const QStringList& arguments, const QDir& folder) const override;
};
