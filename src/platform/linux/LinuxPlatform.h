#pragma once

#include "platform/Platform.h"
#include "platform/ThumbnailGenerator.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/AutostartLoginItem.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/FusionAppearance.h"
#include "platform/linux/JsonUserDefaults.h"
#include "platform/linux/LazyContentReaders.h"
#include "platform/linux/PasswdUserAccount.h"
#include "platform/linux/ProcessEnvironment.h"
#include "platform/linux/QtOverlayPanels.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/X11FrontmostApplication.h"
#include "platform/linux/XcbDesktopInput.h"
#include "platform/linux/XcbGlobalHotKey.h"

#include <functional>
#include <memory>

// The desktop services of a Linux (X11) session.
class LinuxPlatform final : public Platform {
public:
    // Thumbnails are drawn by code above the platform (documents are read by
    // the store), so whoever makes the platform supplies them.
    using ThumbnailerFactory = std::function<std::unique_ptr<ThumbnailGenerator>(PdfReader&)>;
    // loginProgram: what a login starts when the user turns that on.
    LinuxPlatform(const ThumbnailerFactory& makeThumbnailer, const QString& loginProgram)
        : autostartLoginItem(
              AutostartLoginItem::defaultEntryPath(QStringLiteral("com.nivo.lumavex")),
              loginProgram),
          thumbnails(makeThumbnailer(contentReaders.pdfReader())) {}

    Clock& clock() override { return systemClock; }
    Environment& environment() override { return processEnvironment; }
    Scheduler& scheduler() override { return qtScheduler; }
    UserDefaults& userDefaults() override { return jsonUserDefaults; }
    Appearance& appearance() override { return fusionAppearance; }
    LoginItem& loginItem() override { return autostartLoginItem; }
    GlobalHotKey& globalHotKey() override { return xcbGlobalHotKey; }
    HttpClient& httpClient() override { return contentReaders.httpClient(); }
    TextRecognizer& textRecognizer() override { return contentReaders.textRecognizer(); }
    PdfReader& pdfReader() override { return contentReaders.pdfReader(); }
    ThumbnailGenerator& thumbnailGenerator() override { return *thumbnails; }
    Pasteboard& pasteboard() override { return qtPasteboard; }
    FrontmostApplication& frontmostApplication() override { return x11Frontmost; }
    Accessibility& accessibility() override { return atspi; }
    KeyboardTyper& keyboardTyper() override { return xcbTyper; }
    PointerMonitor& pointerMonitor() override { return xcbPointer; }
    OverlayPanels& overlayPanels() override { return qtOverlays; }
    UserAccount& userAccount() override { return passwdAccount; }

private:
    SystemClock systemClock;
    ProcessEnvironment processEnvironment;
    QtScheduler qtScheduler;
    JsonUserDefaults jsonUserDefaults{JsonUserDefaults::defaultPath()};
    FusionAppearance fusionAppearance;
    XcbGlobalHotKey xcbGlobalHotKey;
    AutostartLoginItem autostartLoginItem;
    // libcurl, tesseract and poppler, loaded when first used.
    LazyContentReaders contentReaders{CurlHttpClient::resolveFromEnvironment(processEnvironment)};
    std::unique_ptr<ThumbnailGenerator> thumbnails;
    QtPasteboard qtPasteboard;
    X11FrontmostApplication x11Frontmost{
        DesktopEntryIndex::applicationDirectories(processEnvironment)};
    AtspiAccessibility atspi;
    XcbKeyboardTyper xcbTyper;
    XcbPointerMonitor xcbPointer;
    QtOverlayPanels qtOverlays;
    PasswdUserAccount passwdAccount;
};
