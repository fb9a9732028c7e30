#pragma once

#include "app/cli/Command.h"

#include <chrono>

// tovik enrich: reads the pages, images and documents of kept items that
// still lack a preview, as the desktop app does at start, and merges what it
// finds into the store.
class EnrichCommand final : public Command {
public:
    // Without --wait, the command stops waiting after this long; what is not
    // finished by then is tried again next time. Kept below the time a command
    // handed to the running app is waited for.
    static constexpr std::chrono::seconds defaultWait{25};

    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    bool drawsImages() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
};
