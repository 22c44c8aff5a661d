// The change report of `replace --report` and reading it back for `undo`.
//
// CSV after RFC 4180 in UTF-8 with CRLF line ends: a header
// "table,<key columns>,field,old value,new value", then one record per
// changed field of a stored row. The key columns are the table's primary
// key, holding the row's key as stored; a table without one has the single
// key column "row", the row's place in the table (counted from 1), which
// stays the same when rows are changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/bulk_replace.h"

namespace cli {

inline constexpr const char* kPositionColumn = "row";

// Writes a report while rows are stored: each row's records reach the file
// before the row is stored, are taken back when the row is refused, and are
// on disk before its batch becomes durable. So a run that fails part-way
// leaves exactly the rows stored, and one cut short by a crash at worst a
// few rows that were never stored (undo finds them unchanged).
class ReportWriter : public data::StoreObserver {
 public:
  // Creates `path`, which must not exist yet: an earlier report is never
  // overwritten. Null with *error naming the file on failure.
  static std::unique_ptr<ReportWriter> Create(const std::string& path, std::string* error);
  ~ReportWriter() override;

  // Writes the header. Throws std::runtime_error naming the file when it
  // cannot be written, as do the calls below.
  void Start(const std::string& table, const std::vector<std::string>& key_names);
  bool started() const { return started_; }

  void BeforeStore(const data::RowChange& row) override;
  void StoreFailed() override;
  void BeforeCommit() override;

  const std::string& path() const { return path_; }
  int64_t rows() const { return rows_; }

 private:
  ReportWriter(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  void Write(const std::string& bytes);
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  int fd_;
  std::string table_;
  bool started_ = false;
  int64_t size_ = 0;        // bytes written
  int64_t before_row_ = 0;  // size before the last row's records
  int64_t rows_ = 0;        // rows recorded
};

struct ReportEntry {
  size_t record = 0;  // 1-based record number after the header
  std::string table;
  std::vector<std::string> key;
  std::string field;
  std::string old_text;
  std::string new_text;
};

struct Report {
  std::vector<std::string> key_names;
  std::vector<ReportEntry> entries;
};

// Reads the report at `path`. False with *error naming the file (and the
// record) when it cannot be read or is not a report.
bool ReadReport(const std::string& path, Report* report, std::string* error);

}  // namespace cli
