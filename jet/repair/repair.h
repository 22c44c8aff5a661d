// Repairing a database's indexes: every index of the chosen tables rebuilt
// from the rows, in one transaction.
//
// The file is opened through WriteSession, the one way every write opens a
// file (the write lock, the rollback of whatever an interrupted write left,
// the journal); all tables are rebuilt inside a single journaled
// transaction, so an interrupted or failed repair leaves the file exactly as
// it was.
#pragma once

#include <string>
#include <vector>

#include "jet/repair/index_rebuild.h"
#include "jet/status.h"
#include "jet/write/write_session.h"

namespace jet {

struct RepairedTable {
  std::string name;
  TableRebuild rebuild;
};

// Rebuilds every index of the named `tables` (all user tables when none are
// named) of the database at `path` and commits. Fails before anything is
// written with NotFound (file or table), Locked, ReadOnly, BadPassword, or
// the failure of a table's rebuild (Constraint for rows that break a unique
// index, NotSupported for keys that cannot be encoded); with the commit's
// failure otherwise, after rolling the transaction back.
Result<std::vector<RepairedTable>> RepairIndexes(const std::string& path,
                                                 const std::vector<std::string>& tables,
                                                 const WriteOptions& options = {});

}  // namespace jet
