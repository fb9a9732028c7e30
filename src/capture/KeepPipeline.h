#pragma once

#include "capture/ClipContent.h"
#include "capture/SaveResult.h"

#include <QString>
#include <optional>

class Store;

// Turns what a copy or a drop yields into items of the store: the keep flow's
// only way in.
namespace KeepPipeline {

// Keeps the clip's files, or else its image, its link or its text (the first
// present, in that order), under tag when one is given; what was kept and
// what could not be is in the answer. A store that cannot write keeps
// nothing and says why. Main thread.
SaveResult save(Store& store, const ClipContent& clip, const std::optional<QString>& tag);

} // namespace KeepPipeline
