#include "store/BoundedWait.h"

#include <vector>

namespace BackgroundThreads {

namespace {

struct Adopted {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
};

// Whatever is still running when the process ends (a command or a test that
// made no composition root) is waited for here: a thread object that is
// still joinable when destroyed would end the process with std::terminate.
struct Registry {
    std::vector<Adopted> threads;
    ~Registry() {
        for (Adopted& each : threads) {
            if (each.thread.joinable())
                each.thread.join();
        }
    }
};

std::mutex lock;
Registry adopted;

} // namespace

void adopt(std::thread thread, std::shared_ptr<std::atomic<bool>> finished) {
    std::vector<Adopted> done;
    {
        const std::lock_guard guard(lock);
        std::vector<Adopted>& threads = adopted.threads;
        for (auto it = threads.begin(); it != threads.end();) {
            if (it->finished->load()) {
                done.push_back(std::move(*it));
                it = threads.erase(it);
            } else {
                ++it;
            }
        }
        threads.push_back({std::move(thread), std::move(finished)});
    }
    // Their work has ended; joining only collects the thread.
    for (Adopted& each : done)
        each.thread.join();
}

void joinAll() {
    std::vector<Adopted> all;
    {
        const std::lock_guard guard(lock);
        all.swap(adopted.threads);
    }
    for (Adopted& each : all)
        each.thread.join();
}

} // namespace BackgroundThreads
