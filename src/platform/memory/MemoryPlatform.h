#pragma once

#include "platform/Platform.h"
#include "platform/memory/MemoryAccessibility.h"
#include "platform/memory/MemoryAppearance.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryDesktop.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFrontmostApplication.h"
#include "platform/memory/MemoryGlobalHotKey.h"
#include "platform/memory/MemoryHttpClient.h"
#include "platform/memory/MemoryLoginItem.h"
#include "platform/memory/MemoryPasteboard.h"
#include "platform/memory/MemoryPdfReader.h"
#include "platform/memory/MemoryScheduler.h"
#include "platform/memory/MemoryTextRecognizer.h"
#include "platform/memory/MemoryThumbnailGenerator.h"
#include "platform/memory/MemoryUserAccount.h"
#include "platform/memory/MemoryUserDefaults.h"

// All platform services as in-memory doubles, for unit tests.
class MemoryPlatform final : public Platform {
public:
    Clock& clock() override { return memoryClock; }
    Environment& environment() override { return memoryEnvironment; }
    Scheduler& scheduler() override { return memoryScheduler; }
    UserDefaults& userDefaults() override { return memoryUserDefaults; }
    Appearance& appearance() override { return memoryAppearance; }
    LoginItem& loginItem() override { return memoryLoginItem; }
    GlobalHotKey& globalHotKey() override { return memoryGlobalHotKey; }
    HttpClient& httpClient() override { return memoryHttpClient; }
    TextRecognizer& textRecognizer() override { return memoryTextRecognizer; }
    PdfReader& pdfReader() override { return memoryPdfReader; }
    ThumbnailGenerator& thumbnailGenerator() override { return memoryThumbnailGenerator; }
    Pasteboard& pasteboard() override { return memoryPasteboard; }
    FrontmostApplication& frontmostApplication() override { return memoryFrontmost; }
    Accessibility& accessibility() override { return memoryAccessibility; }
    KeyboardTyper& keyboardTyper() override { return memoryKeyboardTyper; }
    PointerMonitor& pointerMonitor() override { return memoryPointerMonitor; }
    OverlayPanels& overlayPanels() override { return memoryOverlayPanels; }
    UserAccount& userAccount() override { return memoryUserAccount; }

    MemoryClock memoryClock;
    MemoryEnvironment memoryEnvironment;
    MemoryScheduler memoryScheduler;
    MemoryUserDefaults memoryUserDefaults;
    MemoryAppearance memoryAppearance;
    MemoryLoginItem memoryLoginItem;
    MemoryGlobalHotKey memoryGlobalHotKey;
    MemoryHttpClient memoryHttpClient;
    MemoryTextRecognizer memoryTextRecognizer;
    MemoryPdfReader memoryPdfReader;
    MemoryThumbnailGenerator memoryThumbnailGenerator;
    MemoryPasteboard memoryPasteboard;
    MemoryFrontmostApplication memoryFrontmost;
    MemoryAccessibility memoryAccessibility;
    MemoryKeyboardTyper memoryKeyboardTyper;
    MemoryPointerMonitor memoryPointerMonitor;
    MemoryOverlayPanels memoryOverlayPanels;
    MemoryUserAccount memoryUserAccount;
};
