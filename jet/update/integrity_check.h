// The integrity check behind "tarnquill-cli check": walks every table, page
// map, row, long value and index of a database and lists what disagrees.
//
// Problems are contradictions that make the file wrong (an index entry for a
// row that is not there, a page owned by two tables, a row that cannot be
// read). Warnings are things we cannot verify (index keys in a sort order we
// do not encode) or leftovers Access itself tolerates; they say why.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jet/io/byte_source.h"
#include "jet/io/file_system.h"
#include "jet/status.h"

namespace jet {

struct CheckReport {
  std::vector<std::string> problems;
  std::vector<std::string> warnings;
  size_t tables = 0, rows = 0, index_entries = 0, pages = 0;
  bool ok() const { return problems.empty(); }
};

// Checks the database in `source`. Fails (rather than reporting) only when the
// file cannot be opened at all: not a database, a wrong password, I/O errors.
Result<CheckReport> CheckDatabase(std::unique_ptr<ByteSource> source, const std::string& password);

// Same, for the file at `path`, opened as every reader opens it
// (OpenFileForReading in write/read_open.h): an interrupted write is rolled
// back before the check, or the check fails saying how to recover the file.
// `fs` is the operating system's files when null.
Result<CheckReport> CheckDatabaseFile(const std::string& path, const std::string& password,
                                      FileSystem* fs = nullptr);

}  // namespace jet
