// The engine's public face: what the program above the engine may call.
//
//   open for reading    OpenDatabaseForReading (below), Database (database.h)
//   open for writing    OpenDatabaseForUpdate (update/writable_database.h)
//   create              create::DatabaseBuilder (create/database_builder.h)
//   append              create::FileAppender (create/row_appender.h)
//   check               CheckDatabaseFile (update/integrity_check.h)
//   repair              RepairIndexes (repair/repair.h)
//   recover             RecoverDatabase (below)
//
// Reading and writing share files safely: readers share a file, a write
// holds it exclusively only while it writes each step, and an interrupted
// write is rolled back by the next open that can write the file.
#pragma once

#include <memory>
#include <string>

#include "jet/create/database_builder.h"
#include "jet/create/row_appender.h"
#include "jet/database.h"
#include "jet/io/file_system.h"
#include "jet/repair/repair.h"
#include "jet/status.h"
#include "jet/update/integrity_check.h"
#include "jet/update/writable_database.h"

namespace jet {

// Opens `path` for reading, sharing it with other readers and waiting while
// a writer finishes its step. A change an interrupted write left half done
// is rolled back first when the file and its folder can be written;
// otherwise the open fails with IOError naming the journal and the command
// `tarnquill-cli recover FILE`, since such a file holds a mix of old and new
// pages. Otherwise fails like Database::Open, or Locked when a writer does
// not finish in time. `fs` is the operating system's files when null (only
// those are locked).
Result<std::unique_ptr<Database>> OpenDatabaseForReading(const std::string& path,
                                                         const OpenOptions& options,
                                                         FileSystem* fs = nullptr);

// Rolls back whatever an interrupted write left half done in `path` and
// changes nothing else. Returns whether there was anything to roll back.
// Fails with NotFound, ReadOnly, Locked (Access or another writer has the
// file) or the failure of the rollback, which then stays to be retried.
Result<bool> RecoverDatabase(const std::string& path, FileSystem* fs = nullptr);

}  // namespace jet
