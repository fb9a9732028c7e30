#pragma once

#include "app/cli/Command.h"

#include <chrono>
#include <optional>

// tovik enrich: reads the pages, images and documents of kept items that
// still lack a preview, as the desktop app does at start, and merges what it
// finds into the store.
class EnrichCommand final : public Command {
public:
    // Without --wait, the command stops waiting after this long; what is not
    // finished by then is tried again next time.
    static constexpr std::chrono::seconds defaultWait{25};

    QString name() const override;
    QString summary() const override;
    bool changesData() const override { return true; }
    bool drawsImages() const override { return true; }
    int run(const QStringList& arguments, CommandStreams& streams) override;
    void runInApp(const QStringList& arguments, CommandStreams& streams,
                  std::function<void(int)> done) override;

private:
    // The command's options; an exit status when it should stop here.
    std::optional<int> parse(const QStringList& arguments, CommandStreams& streams,
                             bool& waitForAll) const;
};
