// Opening a database for changing its rows.
//
// The open goes through WriteSession (jet/write/write_session.h): the write
// lock, the rollback of whatever an interrupted run left, the journal. It
// then serves the same reads as a read-only open plus UpdateRow and batches.
// Every UpdateRow is atomic on disk; outside a batch it is its own
// transaction (three flushes), inside a batch the whole batch is one.
#pragma once

#include <memory>
#include <string>

#include "jet/database.h"
#include "jet/status.h"
#include "jet/write/write_session.h"

namespace jet {

// Opens `path` for reading and writing. `options.password` is the database
// password. Fails before anything is changed: NotFound, Locked (this program
// writes it already, or Access has it open), ReadOnly (the file or its
// folder cannot be written), BadPassword, Corruption, or the failure of a
// needed rollback.
Result<std::unique_ptr<Database>> OpenDatabaseForUpdate(const std::string& path,
                                                        const WriteOptions& options = {});

}  // namespace jet
