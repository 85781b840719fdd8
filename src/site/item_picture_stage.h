// The run's item-picture stage: invobj1.cel then invobj3.cel from the archives. It returns once
// everything in the write pipeline is settled.
#pragma once

#include "site/run.h"

namespace gvde {

Step WriteItemPictureStage(Run& run);

}  // namespace gvde
