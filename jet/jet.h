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

// Opens `path` for reading as OpenFileForReading (write/read_open.h) does —
// sharing it, rolling back an interrupted write first or saying how to — and
// fails as it does or like Database::Open.
Result<std::unique_ptr<Database>> OpenDatabaseForReading(const std::string& path,
                                                         const OpenOptions& options,
                                                         FileSystem* fs = nullptr);

// Rolls back whatever an interrupted write left half done in `path` and
// changes nothing else. Returns whether there was anything to roll back.
// Fails with NotFound, ReadOnly, Locked (Access or another writer has the
// file) or the failure of the rollback, which then stays to be retried.
Result<bool> RecoverDatabase(const std::string& path, FileSystem* fs = nullptr);

}  // namespace jet
