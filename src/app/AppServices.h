#pragma once

#include "common/SharedInstance.h"
#include "store/Store.h"

#include <memory>
#include <optional>

class AppNavigation;
class AppSettings;
class AppState;
class AutoFill;
class ProfileStore;
class BlurSiteStore;
class ChatBlur;
class Categorizer;
class ClipboardWatcher;
class ContentEnricher;
class ImageCache;
class NetworkStore;
class Platform;

// The composition root: the one owner of every long-lived service of the
// process. It makes them in dependency order, hands each its collaborators
// and registers it for its shared() accessor; destroying it tears them down
// in reverse (enrichment stopped, queues joined, index written, background
// waits joined) while the platform they use still exists. main() builds it
// once, after the Qt application and before anything else runs.
//
// A command gets the services every command shares (the categorizer, the
// settings and the blur sites); it opens the store itself, read-only or as a
// writer, with storeOptions(). The desktop app also gets the store, the panel
// state, the clipboard watcher, the people of the map, autofill and the chat
// blur. Main thread only.
class AppServices {
public:
    enum class Mode { command, desktop };

    AppServices(Platform& platform, Mode mode);
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    // The process's root; only while one exists.
    static AppServices& current();

    Platform& platform() const { return platformServices; }
    Categorizer& categorizer() const { return *categorizerService.object; }
    AppSettings& settings() const { return *settingsService.object; }
    AppNavigation& navigation() const { return *navigationService.object; }
    ImageCache& imageCache() const { return *imageService.object; }
    BlurSiteStore& blurSites() const { return *blurSiteService.object; }
    // The desktop app's own services.
    Store& store() const { return *storeService.object; }
    AppState& appState() const { return *stateService.object; }
    ClipboardWatcher& clipboardWatcher() const { return *watcherService.object; }
    AutoFill& autoFill() const { return *autofillService.object; }

    // The user's profile and learned answers; made on first use, since
    // making it may seed the profile file from the account's name.
    ProfileStore& profileStore();
    NetworkStore& networkStore() const { return *networkService.object; }
    ChatBlur& chatBlur() const { return *chatBlurService.object; }

    // How the user's store is opened, in the app and by commands alike.
    Store::Options storeOptions() const;
    // A reader of pages, images and documents over the platform's services.
    std::shared_ptr<ContentEnricher> makeContentEnricher() const;

private:
    // A service and its registration, which ends before the service does.
    template <typename Service> struct Owned {
        std::unique_ptr<Service> object;
        std::optional<typename SharedInstance<Service>::Registration> registration;
        void own(std::unique_ptr<Service> service) {
            object = std::move(service);
            registration.emplace(*object);
        }
        void reset() {
            registration.reset();
            object.reset();
        }
        ~Owned() { reset(); }
    };

    Platform& platformServices;
    std::optional<SharedInstance<AppServices>::Registration> rootRegistration;
    // Declared in the order they are made; members die in reverse.
    Owned<Categorizer> categorizerService;
    Owned<AppSettings> settingsService;
    Owned<AppNavigation> navigationService;
    Owned<ImageCache> imageService;
    Owned<BlurSiteStore> blurSiteService;
    Owned<Store> storeService;
    Owned<AppState> stateService;
    Owned<ClipboardWatcher> watcherService;
    Owned<ProfileStore> profileService;
    Owned<AutoFill> autofillService;
    Owned<NetworkStore> networkService;
    Owned<ChatBlur> chatBlurService;
};
