// The run's item-picture stage: invobj1.cel then invobj3.cel from the archives.
#pragma once

#include "site/run.h"

namespace gvde {

Step WriteItemPictureStage(Run& run);

}  // namespace gvde
