#pragma once

#include "organise/TopicClusterer.h"
#include "store/Item.h"

#include <QList>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QObject;

// The first reading of a large library's keywords, on a thread of its own:
// grouping ten thousand items by topic reads every text once, which would
// hold the interface thread for a noticeable while. The caller shows the
// library without stacks meanwhile and adopts what was read when it is
// ready (TopicClusterer::adopt drops what went stale meanwhile).
class KeywordPass {
public:
    KeywordPass() = default;
    ~KeywordPass(); // stops a running read and joins its thread
    KeywordPass(const KeywordPass&) = delete;
    KeywordPass& operator=(const KeywordPass&) = delete;

    // Starts reading the keywords of items unless a read is running (then
    // false). When it is done, ready runs on receiver's thread. The receiver
    // owns this pass, so that a call it has been sent cannot outlive it.
    bool start(QList<Item> items, QObject* receiver, std::function<void()> ready);
    // True from start() until take().
    bool running() const { return busy; }

    // What the finished read found. The items it was given are released
    // here, on the caller's thread: they share their data with the caller's
    // list, which may then be changed in place.
    std::vector<TopicClusterer::ReadKeywords> take();

private:
    QList<Item> snapshot; // only read by the thread
    std::function<void()> onReady;
    std::mutex lock;
    std::vector<TopicClusterer::ReadKeywords> found; // guarded by lock
    std::atomic<bool> stop{false};
    bool busy = false;
    std::thread worker;
};
