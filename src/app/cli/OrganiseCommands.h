#pragma once

#include "app/cli/Command.h"

// tovik search QUERY: the items matching a query, best first.
class SearchCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik topics: the items gathered into labelled topics.
class TopicsCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};

// tovik library: the library's grid, tag chips and counts for a filter tab,
// tag chip, query and grouping.
class LibraryCommand final : public Command {
public:
    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;
};
