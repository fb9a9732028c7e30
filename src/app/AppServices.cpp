#include "app/AppServices.h"

#include "app/AppNavigation.h"
#include "app/AppSettings.h"
#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/KeepPipeline.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "library/ImageCache.h"
#include "organise/Categorizer.h"
#include "organise/EnglishEmbedding.h"
#include "platform/Platform.h"
#include "store/BoundedWait.h"
#include "store/DataFolder.h"
#include "store/ItemEnricher.h"

AppServices::AppServices(Platform& platform, Mode mode) : platformServices(platform) {
    rootRegistration.emplace(*this);
    categorizerService.own(std::make_unique<Categorizer>(&EnglishEmbedding::load));
    settingsService.own(std::make_unique<AppSettings>(
        platform.userDefaults(), platform.appearance(), platform.loginItem(),
        QString::fromLatin1(AppSettings::applicationIdentifier)));
    navigationService.own(std::make_unique<AppNavigation>());
    imageService.own(std::make_unique<ImageCache>());
    blurSiteService.own(std::make_unique<BlurSiteStore>(platform.userDefaults()));
    if (mode == Mode::command)
        return;

    Store::Options options = storeOptions();
    options.enricher = makeContentEnricher();
    // Another process (a command, an app that is quitting) may hold the
    // folder for a while: show its items meanwhile and take over after,
    // without keeping the window waiting.
    options.waitForLock = true;
    options.lockTimeoutMs = 0;
    storeService.own(Store::open(options));
    Store& store = *storeService.object;
    stateService.own(std::make_unique<AppState>(
        platform.scheduler(), platform.userDefaults(),
        [&store](const ClipContent& clip, const std::optional<QString>& tag) {
            return KeepPipeline::save(store, clip, tag);
        }));
    watcherService.own(
        std::make_unique<ClipboardWatcher>(platform.pasteboard(), platform.frontmostApplication(),
                                           platform.scheduler(), *stateService.object));
    // Made here, started at its place in the start-up sequence.
    chatBlurService.own(std::make_unique<ChatBlur>(
        platform.accessibility(), platform.frontmostApplication(), platform.environment(),
        platform.userDefaults(), platform.pointerMonitor(), platform.overlayPanels(),
        *blurSiteService.object));
}

AppServices::~AppServices() {
    // Joins the scan thread and hides the panels.
    chatBlurService.reset();
    watcherService.reset();
    stateService.reset();
    // Stops enrichment, joins its queue and writes what is pending.
    storeService.reset();
    // Recognition or thumbnailing a wait gave up on may still be using the
    // platform, which dies right after this.
    BackgroundThreads::joinAll();
}

AppServices& AppServices::current() {
    return SharedInstance<AppServices>::get();
}

Store::Options AppServices::storeOptions() const {
    Store::Options options;
    options.applicationSupport = DataFolder::applicationSupport(platformServices.environment());
    options.cacheFolder = DataFolder::cacheFolder(platformServices.environment());
    options.clock = &platformServices.clock();
    options.categorizer = categorizerService.object.get();
    return options;
}

std::shared_ptr<ContentEnricher> AppServices::makeContentEnricher() const {
    return std::make_shared<ItemEnricher>(platformServices, *categorizerService.object);
}
