// Opening a database for changing its rows.
//
// The open takes the write lock (no other instance writing, not open in
// Access), rolls back whatever an interrupted run left in the journal, and
// then serves the same reads as a read-only open plus UpdateRow and batches.
// Every UpdateRow is atomic on disk; outside a batch it is its own
// transaction (three flushes), inside a batch the whole batch is one.
#pragma once

#include <memory>
#include <string>

#include "jet/database.h"
#include "jet/status.h"
#include "jet/write/file_system.h"
#include "jet/write/journaled_file.h"

namespace jet {

struct UpdateOpenOptions {
  FileSystem* fs = nullptr;  // the operating system's files when null
  bool lock = true;          // take the OS write lock and check Access's lock file
  JournalOptions journal;
};

// Opens `path` for reading and writing.
// Fails before anything is changed: NotFound, Locked (another writer, or the
// file is open in Access), ReadOnly (the file or its folder cannot be
// written), BadPassword, Corruption, or the failure of a needed rollback.
Result<std::unique_ptr<Database>> OpenDatabaseForUpdate(const std::string& path,
                                                        const OpenOptions& options,
                                                        const UpdateOpenOptions& more = {});

// Opens `path` for reading only, like Database::Open, but first makes sure no
// interrupted write left a journal to roll back: such a file holds a mix of
// old and new pages until a writable open restores it, so reading it would
// show rows that never existed. Fails with IOError naming the journal then.
Result<std::unique_ptr<Database>> OpenDatabaseForReading(const std::string& path,
                                                         const OpenOptions& options,
                                                         FileSystem* fs = nullptr);

}  // namespace jet
