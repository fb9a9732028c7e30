#pragma once

#include "app/cli/Command.h"

class HttpClient;

// tovik fetch-page: what a web page yields for a link item, as JSON.
class FetchPageCommand final : public Command {
public:
    // Without a client, the installed platform's is used.
    explicit FetchPageCommand(HttpClient* http = nullptr);

    QString name() const override;
    QString summary() const override;
    int run(const QStringList& arguments, CommandStreams& streams) override;

private:
    HttpClient* http;
};
