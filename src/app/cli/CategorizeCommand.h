#pragma once

#include "app/cli/Command.h"

class Categorizer;

// tovik categorize: the automatic category of a title, text and address, or of
// a stream of JSON lines.
class CategorizeCommand final : public Command {
public:
    CategorizeCommand() = default;

    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

    // The answer line for one JSON line of input: {"category": …} or {"error": …}.
    QByteArray answerLine(const QByteArray& line) const;

private:
};
