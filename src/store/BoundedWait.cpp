#include "store/BoundedWait.h"

#include <vector>

namespace BackgroundThreads {

namespace {

struct Adopted {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
};

std::mutex lock;
std::vector<Adopted> adopted;

} // namespace

void adopt(std::thread thread, std::shared_ptr<std::atomic<bool>> finished) {
    std::vector<Adopted> done;
    {
        const std::lock_guard guard(lock);
        for (auto it = adopted.begin(); it != adopted.end();) {
            if (it->finished->load()) {
                done.push_back(std::move(*it));
                it = adopted.erase(it);
            } else {
                ++it;
            }
        }
        adopted.push_back({std::move(thread), std::move(finished)});
    }
    // Their work has ended; joining only collects the thread.
    for (Adopted& each : done)
        each.thread.join();
}

void joinAll() {
    std::vector<Adopted> all;
    {
        const std::lock_guard guard(lock);
        all.swap(adopted);
    }
    for (Adopted& each : all)
        each.thread.join();
}

} // namespace BackgroundThreads
