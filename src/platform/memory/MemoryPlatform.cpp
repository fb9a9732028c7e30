#include "platform/memory/MemoryPlatform.h"
