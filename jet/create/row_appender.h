// Adding rows to a table of an existing database, in place.
//
// RowAppender works on the shared write path: rows go onto the table's pages
// through the row placer (free-space map first, new pages through the usage
// maps), long values through the long-value writer, index entries through the
// index writer (page splits included). A batch is all or nothing: its page
// changes are handed to the sink only when every row was checked and placed.
//
// FileAppender wraps that for a file on disk through WriteSession: one
// transaction per Commit, pages read through the journal so appended pages
// are visible at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/create/spec.h"
#include "jet/database.h"
#include "jet/header.h"
#include "jet/index/index_writer.h"
#include "jet/lval/long_value_writer.h"
#include "jet/page_store.h"
#include "jet/status.h"
#include "jet/update/update_session.h"
#include "jet/write/write_session.h"

namespace jet::create {

class RowAppender {
 public:
  // `store` and `sink` must outlive the appender.
  RowAppender(PageStore* store, const Header& header, PageSink* sink);

  // Appends `rows` (one value per column of `table`, NULL asking auto-number
  // columns for the next number) and keeps the definition's row count and
  // auto-number current. Fails without handing anything to the sink on a bad
  // value, a missing required value, a duplicate unique key or an index key
  // that cannot be encoded; NotSupported for Access 97 files and system tables.
  // `table` is updated (row count) on success.
  Status Append(TableDef* table, const std::vector<Row>& rows);

  // Adds the empty table `spec` to the database: definition, usage maps,
  // index roots, its catalog row and the access rights the Tables container
  // passes on (see table_creator.h). All or nothing, like Append. Returns its
  // layout, ready for Append. InvalidArgument when the name is taken or the
  // spec is bad; NotSupported for Access 97 files.
  Result<TableDef> CreateTable(const TableSpec& spec);

 private:
  Status AppendRows(TableDef* table, const std::vector<Row>& rows, bool system_ok);
  Status Flush();

  PageStore* store_;
  PageSink* sink_;
  uint16_t code_page_;
  PageEditor editor_;
  jet::LongValueWriter long_values_;
  jet::IndexWriter indexes_;
};

class FileAppender {
 public:
  // Opens `path` for appending through WriteSession (the write lock, the
  // rollback of an interrupted write, the password). Locked, ReadOnly,
  // NotFound, BadPassword as the case may be.
  static Result<std::unique_ptr<FileAppender>> Open(const std::string& path,
                                                    const WriteOptions& options = {});
  ~FileAppender();

  Result<TableDef> FindTable(std::string_view name);
  // Appends a batch inside the open transaction (see RowAppender::Append).
  Status Append(TableDef* table, const std::vector<Row>& rows);
  // Creates an empty table inside the open transaction (see
  // RowAppender::CreateTable).
  Result<TableDef> CreateTable(const TableSpec& spec);
  // Makes every appended batch durable; after a failure nothing of them stays.
  Status Commit();

 private:
  struct Impl;
  explicit FileAppender(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace jet::create
