#pragma once

#include "app/cli/Command.h"

class ProfileStore;

// `tovik profile …`: the details autofill types and the answers it learned.
class ProfileCommand final : public Command {
public:
    // Null: the composition root's profile store.
    explicit ProfileCommand(ProfileStore* profile = nullptr) : profile(profile) {}
    QString name() const override;
    QString summary() const override;
    // Handed to the running app, so the app's store and files stay one.
    bool changesData() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;

private:
    ProfileStore* profile;
};

// `tovik field`: what the field matcher makes of a form field's texts.
class FieldCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};
