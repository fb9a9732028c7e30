#pragma once

#include "app/cli/Command.h"

class Accessibility;
class FrontmostApplication;

// `tovik a11y focus|tree`: what Tovik reads of another application's
// accessibility tree, for people who debug forms.
class A11yCommand final : public Command {
public:
    // Null services mean the installed platform's.
    explicit A11yCommand(Accessibility* accessibility = nullptr,
                         FrontmostApplication* applications = nullptr);

    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

private:
    Accessibility* accessibility;
    FrontmostApplication* applications;
};
