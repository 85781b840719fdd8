// A bounded, read-only window on one record of the loaded game image: fields that do not lie
// wholly inside the record read as 0.
#pragma once

#include "platform/byte_reader.h"

namespace gvde {

using RecordView = ByteReader;

}  // namespace gvde
