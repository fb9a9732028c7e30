#include "library/ui/LibraryContext.h"

#include "common/SharedInstance.h"

LibraryContext& LibraryContext::shared() {
    return SharedInstance<LibraryContext>::get();
}
