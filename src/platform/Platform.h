#pragma once

class Accessibility;
class Appearance;
class Clock;
class LoginItem;
class Environment;
class GlobalHotKey;
class FrontmostApplication;
class KeyboardTyper;
class OverlayPanels;
class PointerMonitor;
class Pasteboard;
class Scheduler;
class UserAccount;
class UserDefaults;
class HttpClient;
class PdfReader;
class TextRecognizer;
class ThumbnailGenerator;

// Every desktop service the rest of Tovik needs, reached through one object.
// main() installs the Linux implementation once at start; unit tests construct
// the code under test with memory doubles instead and never touch this.
class Platform {
public:
    virtual ~Platform() = default;

    virtual Clock& clock() = 0;
    virtual Environment& environment() = 0;
    virtual Scheduler& scheduler() = 0;
    virtual UserDefaults& userDefaults() = 0;
    virtual Appearance& appearance() = 0;
    virtual LoginItem& loginItem() = 0;
    virtual GlobalHotKey& globalHotKey() = 0;
    virtual HttpClient& httpClient() = 0;
    virtual TextRecognizer& textRecognizer() = 0;
    virtual PdfReader& pdfReader() = 0;
    virtual ThumbnailGenerator& thumbnailGenerator() = 0;
    virtual Pasteboard& pasteboard() = 0;
    virtual FrontmostApplication& frontmostApplication() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual KeyboardTyper& keyboardTyper() = 0;
    virtual PointerMonitor& pointerMonitor() = 0;
    virtual OverlayPanels& overlayPanels() = 0;
    virtual UserAccount& userAccount() = 0;

    // The installed platform. Installing is done once, before any shared service is used.
    static Platform& current();
    static void install(Platform* platform);
};
