// The run's item-picture stage: invobj1.cel then invobj3.cel from the archives.
#pragma once

#include "site/run_state.h"

namespace gvde {

// False after one of the stage's errors was reported through RunError.
bool WriteItemPictureStage(RunState& run);

}  // namespace gvde
