#include "library/ui/LibraryContext.h"

#include "capture/ClipboardWatcher.h"
#include "library/ImageCache.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QDesktopServices>

LibraryContext& LibraryContext::shared() {
    static LibraryContext context{
        Store::shared(),
        ImageCache::shared(),
        ClipboardWatcher::shared(),
        Platform::current().clock(),
        Platform::current().scheduler(),
        Platform::current().userDefaults(),
        [](const QUrl& url) { QDesktopServices::openUrl(url); },
    };
    return context;
}
