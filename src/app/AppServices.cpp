#include "app/AppServices.h"

#include "app/AppNavigation.h"
#include "app/AppSettings.h"
#include "autofill/AutoFill.h"
#include "autofill/ProfileStore.h"
#include "capture/AppState.h"
#include "capture/ClipboardWatcher.h"
#include "capture/KeepPipeline.h"
#include "chatblur/BlurSiteStore.h"
#include "chatblur/ChatBlur.h"
#include "library/ImageCache.h"
#include "network/NetworkStore.h"
#include "organise/Categorizer.h"
#include "organise/EnglishEmbedding.h"
#include "platform/Environment.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"
#include "platform/UserAccount.h"
#include "store/BoundedWait.h"
#include "store/DataFolder.h"
#include "store/ItemEnricher.h"

#include <QCoreApplication>
#include <iostream>

using namespace Qt::StringLiterals;

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

    // The desktop app reads the word vectors in the background once its
    // launch is on screen (DesktopApp); a text that needs them first waits.
    Store::Options options = storeOptions();
    options.enricher = makeContentEnricher();
    options.meaningInBackground = true;
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

    NetworkStore::Options network;
    network.dataFolder = store.root();
    network.http = &platform.httpClient();
    network.clock = &platform.clock();
    network.services = NetworkServices::fromEnvironment(platform.environment());
    networkService.own(std::make_unique<NetworkStore>(std::move(network)));

    AppState& state = *stateService.object;
    AutoFill::Services autofill{platform.accessibility(),
                                platform.frontmostApplication(),
                                platform.keyboardTyper(),
                                platform.userDefaults(),
                                profileStore(),
                                platform.clock(),
                                [&state](const QString& text) { state.showFlash(text); },
                                QCoreApplication::applicationPid(),
                                std::nullopt,
                                nullptr,
                                40};
    const Environment& env = platform.environment();
    if (const auto pid = env.value(u"TOVIK_AUTOFILL_PID"_s)) {
        bool ok = false;
        const qint64 value = pid->toLongLong(&ok);
        if (ok && value > 0)
            autofill.watchedPid = value;
    }
    if (env.value(u"TOVIK_AUTOFILL_DEBUG"_s))
        autofill.debug = &std::cerr;
    autofillService.own(std::make_unique<AutoFill>(std::move(autofill)));

    // Made here, started at its place in the start-up sequence.
    chatBlurService.own(std::make_unique<ChatBlur>(
        platform.accessibility(), platform.frontmostApplication(), platform.environment(),
        platform.userDefaults(), platform.pointerMonitor(), platform.overlayPanels(),
        *blurSiteService.object));
}

ProfileStore& AppServices::profileStore() {
    if (!profileService.object) {
        const Environment& env = platformServices.environment();
        const QString folder = DataFolder::root(DataFolder::applicationSupport(env), false);
        profileService.own(std::make_unique<ProfileStore>(
            ProfileStore::Options{ProfileStore::profileFilePath(env, folder),
                                  platformServices.userAccount().fullName()}));
    }
    return *profileService.object;
}

AppServices::~AppServices() {
    // Joins the scan thread and hides the panels.
    chatBlurService.reset();
    autofillService.reset();
    if (networkService.object) {
        // Quitting: a slow profile page or logo must not hold up joining the
        // people's fetch queues.
        platformServices.httpClient().stopAll();
        networkService.reset();
    }
    watcherService.reset();
    stateService.reset();
    // Stops enrichment, joins its queue and writes what is pending.
    storeService.reset();
    profileService.reset();
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
