#include "organise/KeywordPass.h"

#include "common/HandOver.h"

#include <QMetaObject>
#include <QObject>
#include <pthread.h>

KeywordPass::~KeywordPass() {
    stop = true;
    if (worker.joinable())
        worker.join();
}

bool KeywordPass::start(QList<Item> items, QObject* receiver, std::function<void()> ready) {
    if (busy)
        return false;
    busy = true;
    stop = false;
    snapshot = std::move(items);
    onReady = std::move(ready);
    worker = std::thread([this, receiver] {
        std::vector<TopicClusterer::ReadKeywords> read =
            TopicClusterer::readKeywords(snapshot, stop);
        {
            std::lock_guard guard(lock);
            found = std::move(read);
        }
        if (stop)
            return;
        // The receiver owns this pass: the call cannot outlive either.
        handOver(receiver, [this] {
            if (busy && onReady)
                onReady();
        });
    });
    // A thread's name holds 15 characters; a longer one is refused whole.
    pthread_setname_np(worker.native_handle(), "lumavex.keyword");
    return true;
}

std::vector<TopicClusterer::ReadKeywords> KeywordPass::take() {
    if (worker.joinable())
        worker.join();
    std::vector<TopicClusterer::ReadKeywords> read;
    {
        std::lock_guard guard(lock);
        read.swap(found);
    }
    snapshot = {};
    busy = false;
    return read;
}
