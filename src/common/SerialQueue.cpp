#include "common/SerialQueue.h"

#include <pthread.h>

SerialQueue::SerialQueue(QString label) : queueLabel(std::move(label)) {
    worker = std::thread([this] { run(); });
    // The label shows in debuggers and `top -H`; Linux caps names at 15 bytes.
    pthread_setname_np(worker.native_handle(), queueLabel.left(15).toUtf8().constData());
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard guard(lock);
        stopping = true;
        tasks.clear();
    }
    wake.notify_all();
    worker.join();
}

void SerialQueue::submit(std::function<void()> task) {
    {
        std::lock_guard guard(lock);
        tasks.push_back(std::move(task));
    }
    wake.notify_one();
}

void SerialQueue::waitUntilIdle() {
    std::unique_lock guard(lock);
    idle.wait(guard, [this] { return (tasks.empty() && !busy) || stopping; });
}

void SerialQueue::run() {
    std::unique_lock guard(lock);
    while (true) {
        wake.wait(guard, [this] { return stopping || !tasks.empty(); });
        if (stopping)
            break;
        std::function<void()> task = std::move(tasks.front());
        tasks.pop_front();
        busy = true;
        guard.unlock();
        task();
        guard.lock();
        busy = false;
        if (tasks.empty())
            idle.notify_all();
    }
    busy = false;
    idle.notify_all();
}
