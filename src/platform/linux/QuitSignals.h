#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread, so a
// session logging out or a `kill` quits the app through its normal teardown
// (pending index writes finished, enrichment stopped) rather than cutting it
// off mid-write. One at a time; the default handling returns when it dies.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(std::function<void()> onSignal);
    ~QuitSignals() override;

private:
    std::function<void()> onSignal;
    std::unique_ptr<QSocketNotifier> notifier;
};
