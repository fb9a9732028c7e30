#pragma once

#include "app/cli/Command.h"

// tovik list: the kept items, newest first.
class ListCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik remove ID: forgets an item and deletes its stored files.
class RemoveCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik tags: every tag name, most used first, then the unused categories.
class TagsCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik tag add|remove|toggle NAME ID, tovik tag reset ID.
class TagCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik autosort: gives every item without its own tags its category again.
class AutosortCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
};
