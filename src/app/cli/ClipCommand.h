#pragma once

#include "app/cli/Command.h"

class Categorizer;
struct ClipContent;

// tovik clip: what the keep prompt would show for a copied text, address,
// files or image.
class ClipCommand final : public Command {
public:
    ClipCommand() = default;

    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

    // The JSON object describing a clip's derived values.
    QByteArray describe(const ClipContent& clip) const;

private:
};
