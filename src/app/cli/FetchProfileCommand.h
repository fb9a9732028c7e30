#pragma once

#include "app/cli/Command.h"

class HttpClient;

// tovik fetch-profile: what a social-profile link tells about its person.
class FetchProfileCommand final : public Command {
public:
    // Without a client, the installed platform's is used.
    explicit FetchProfileCommand(HttpClient* http = nullptr);

    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

private:
    HttpClient* http;
};
