// Writing a whole file so that a crash or a failure leaves either the old
// file or the complete new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/io/file_system.h"
#include "jet/status.h"

namespace jet {

// Writes `bytes` to `path` through a temporary file in the same folder:
// write, flush, rename over the target, flush the folder. ReadOnly when the
// target or its folder cannot be written; otherwise the failure, naming
// `path` and its cause. On failure before the rename the target is as it
// was and the temporary file is removed.
Status WriteFileAtomically(FileSystem* fs, const std::string& path,
                           const std::vector<uint8_t>& bytes);

}  // namespace jet
