// Opening a database file for reading, the same way for every reader (the
// engine's reader, the integrity check): a share of the file, and an
// interrupted write rolled back first.
#pragma once

#include <memory>
#include <string>

#include "jet/io/byte_source.h"
#include "jet/io/file_system.h"
#include "jet/status.h"

namespace jet {

// Opens `path` for reading, sharing it with other readers and waiting while
// a writer finishes its step; the returned source holds that share. A change
// an interrupted write left half done is rolled back first when the file and
// its folder can be written; otherwise fails with IOError naming the journal
// and the command `tarnquill-cli recover FILE`, since such a file holds a mix
// of old and new pages. Fails with NotFound, Locked (a writer did not finish
// in time, or Access has the file while it needs rolling back) or the
// failure of the rollback. `fs` is the operating system's files when null
// (only those are locked). The source is named `path`.
Result<std::unique_ptr<FileByteSource>> OpenFileForReading(const std::string& path,
                                                           FileSystem* fs = nullptr);

}  // namespace jet
