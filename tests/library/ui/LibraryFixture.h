#pragma once

#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/KeepPipeline.h"
#include "library/ImageCache.h"
#include "library/ui/LibraryContext.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryPasteboard.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryUserDefaults.h"
#include "support/GuiApplication.h"
#include "support/StoreFixture.h"

#include <QUrl>
#include <memory>

// A library page's services over a store, clipboard, clock and settings of
// the test's own; opened addresses are recorded instead of opened.
class LibraryFixture : public StoreFixture {
protected:
    void SetUp() override {
        guiApplication();
        store = openStore();
        ASSERT_TRUE(store);
        state = std::make_unique<AppState>(
            scheduler, defaults,
            [this](const ClipContent& clip, const std::optional<QString>& tag) {
                return KeepPipeline::save(*store, clip, tag);
            });
        watcher = std::make_unique<ClipboardWatcher>(pasteboard, frontmost, scheduler, *state);
        context = std::make_unique<LibraryContext>(
            LibraryContext{*store, images, *watcher, clock, scheduler, defaults,
                           [this](const QUrl& url) { opened.append(url); }});
    }

    MemoryScheduler scheduler;
    MemoryUserDefaults defaults;
    MemoryPasteboard pasteboard;
    MemoryFrontmostApplication frontmost;
    ImageCache images;
    std::unique_ptr<Store> store;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ClipboardWatcher> watcher;
    std::unique_ptr<LibraryContext> context;
    QList<QUrl> opened;
};
