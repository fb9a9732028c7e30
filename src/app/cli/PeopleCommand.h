#pragma once

#include "app/cli/Command.h"

#include <chrono>
#include <optional>

class NetworkStore;

// tovik people: the people map's list, groups and layout, and changes to it.
//   people [--json]                     list
//   people add --name NAME [...]        add a person, print it
//   people edit ID [--name ...]         change a person, print it
//   people remove ID
//   people groups [--json]              the map's groups
//   people layout [--json]              the map's positions and colours
//   people enrich [--wait]              fetch missing avatars and logos
class PeopleCommand final : public Command {
public:
    // Without --wait, enrich stops waiting after this long.
    static constexpr std::chrono::seconds defaultWait{25};

    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    bool changesDataWith(const QStringList& arguments) const override;
    // Avatars and logos are decoded and encoded as images.
    bool drawsImages() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
    void runInApp(const QStringList& arguments, CommandStreams& streams,
                  std::function<void(int)> done) override;

private:
    int list(const QStringList& arguments, CommandStreams& streams);
    int add(const QStringList& arguments, CommandStreams& streams);
    int edit(const QStringList& arguments, CommandStreams& streams);
    int remove(const QStringList& arguments, CommandStreams& streams);
    int groups(const QStringList& arguments, CommandStreams& streams);
    int layout(const QStringList& arguments, CommandStreams& streams);
    // enrich's options; an exit status when it should stop here.
    std::optional<int> parseEnrich(const QStringList& arguments, CommandStreams& streams,
                                   bool& waitForAll) const;
    int enrich(const QStringList& arguments, CommandStreams& streams);
    void enrichInApp(const QStringList& arguments, CommandStreams& streams,
                     std::function<void(int)> done);
};
