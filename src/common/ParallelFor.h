#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

// Runs work(begin, end) over [0, count) split into contiguous slices, one per
// core, with the calling thread taking the first slice. Small counts (under
// two slices of minimumSlice) run on the calling thread alone, where starting
// a thread would cost more than it saves. work must be safe to run on several
// threads at once over disjoint slices.
template <typename Work>
void parallelFor(std::size_t count, std::size_t minimumSlice, Work&& work) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t slices =
        std::clamp<std::size_t>(count / std::max<std::size_t>(1, minimumSlice), 1, cores);
    if (slices <= 1) {
        if (count > 0)
            work(std::size_t(0), count);
        return;
    }
    const std::size_t per = (count + slices - 1) / slices;
    std::vector<std::jthread> helpers;
    helpers.reserve(slices - 1);
    for (std::size_t begin = per; begin < count; begin += per)
        helpers.emplace_back(
            [&work, begin, end = std::min(count, begin + per)] { work(begin, end); });
    work(std::size_t(0), std::min(count, per));
}
