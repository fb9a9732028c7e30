#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A named serial work queue: one worker thread runs the submitted tasks one at
// a time, in submission order. Destroying the queue lets the running task
// finish, drops the ones not started yet and joins the thread.
class SerialQueue {
public:
    explicit SerialQueue(QString label);
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const QString& label() const { return queueLabel; }

    void submit(std::function<void()> task);

    // Blocks until every task submitted so far has run.
    void waitUntilIdle();

private:
    void run();

    QString queueLabel;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> tasks;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};
