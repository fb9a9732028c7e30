#include "library/ui/LibraryContext.h"

#include "capture/ClipboardWatcher.h"
#include "common/SharedInstance.h"
#include "library/ImageCache.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QDesktopServices>

LibraryContext& LibraryContext::shared() {
    return SharedInstance<LibraryContext>::get();
}
