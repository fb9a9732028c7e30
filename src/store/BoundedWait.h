#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// The threads of bounded waits. A wait that runs out leaves its work running
// to its end (recognition and thumbnailing cannot be interrupted), but the
// thread is never detached: it is kept here, and the composition root joins
// every one before the services the work uses are destroyed.
namespace BackgroundThreads {

// Takes over thread; finished marks when its work is done. Threads already
// finished are joined on the way.
void adopt(std::thread thread, std::shared_ptr<std::atomic<bool>> finished);

// Joins every adopted thread; blocks until their work has ended.
void joinAll();

} // namespace BackgroundThreads

// The answer of work running on a thread of its own, waited for with a limit.
// When a wait runs out the work still goes on to its end and its answer is
// dropped, so work must own (or outlive, until BackgroundThreads::joinAll)
// everything it uses.
template <typename Result> class BoundedWait {
public:
    template <typename Work> static BoundedWait start(Work work) {
        BoundedWait wait;
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([shared = wait.shared, finished, work = std::move(work)]() mutable {
            Result result = work();
            {
                const std::lock_guard guard(shared->lock);
                shared->result = std::move(result);
                shared->finished.notify_all();
            }
            *finished = true;
        });
        BackgroundThreads::adopt(std::move(thread), std::move(finished));
        return wait;
    }

    // The answer when the work finishes within limit; absent otherwise.
    std::optional<Result> waitFor(std::chrono::milliseconds limit) {
        std::unique_lock guard(shared->lock);
        if (!shared->finished.wait_for(guard, limit, [&] { return shared->result.has_value(); }))
            return std::nullopt;
        return shared->result;
    }

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable finished;
        std::optional<Result> result;
    };
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
};

// Runs work on a thread of its own and waits for its answer at most limit.
template <typename Work>
auto runWithin(std::chrono::milliseconds limit, Work work) -> std::optional<decltype(work())> {
    return BoundedWait<decltype(work())>::start(std::move(work)).waitFor(limit);
}
