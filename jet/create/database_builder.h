// DatabaseBuilder: creates a new Access 2000-format (Jet 4) database in
// memory — system tables, user tables with their indexes, rows — and writes
// it out in one piece.
//
// Typical use:
//   JET_ASSIGN_OR_RETURN(auto b, DatabaseBuilder::New({}));
//   JET_RETURN_IF_ERROR(b->CreateTable(spec));
//   JET_RETURN_IF_ERROR(b->InsertRows("Customers", rows));
//   JET_RETURN_IF_ERROR(b->Save("/tmp/x.mdb"));
//
// Each InsertRows call is all or nothing: every row is checked (types,
// sizes, required columns, unique keys, encodable index keys) before the
// first one is stored. Save writes a temporary file beside the target,
// flushes it and renames it over the target, so a crash leaves either the
// old file or the complete new one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/create/spec.h"
#include "jet/database.h"
#include "jet/io/file_system.h"
#include "jet/status.h"

namespace jet::create {

class DatabaseBuilder {
 public:
  // An empty database: header, global usage map, the four system tables and
  // their rows. InvalidArgument for a password longer than 20 characters.
  static Result<std::unique_ptr<DatabaseBuilder>> New(const NewDatabaseOptions& options);

  ~DatabaseBuilder();
  DatabaseBuilder(const DatabaseBuilder&) = delete;
  DatabaseBuilder& operator=(const DatabaseBuilder&) = delete;

  // Adds an empty user table. InvalidArgument for a bad spec or a name that
  // is already taken (ignoring case).
  Status CreateTable(const TableSpec& spec);

  // Appends `rows` to table `table` (ignoring case). Fails without storing
  // any of them: NotFound (no such table), InvalidArgument (a value of the
  // wrong type or too long, a key the sort order cannot encode), Constraint
  // (a missing required value, a duplicate unique key). Messages name the
  // table, the column and the row's position in `rows` (1-based).
  Status InsertRows(std::string_view table, const std::vector<Row>& rows);

  // The layout of table `table` as the reader will see it (columns, indexes).
  Result<TableDef> Describe(std::string_view table) const;

  // Finishes the database (index trees, usage maps, definitions) and returns
  // the file's bytes. The builder cannot be used afterwards.
  Result<std::vector<uint8_t>> Finish();

  // Finish, then write the bytes to `path` atomically (WriteFileAtomically
  // in jet/io/atomic_write.h) through `fs`, the operating system's files
  // when null. ReadOnly when the target or its folder cannot be written;
  // IOError on other failures (the target is then unchanged).
  Status Save(const std::string& path, FileSystem* fs = nullptr);

 private:
  struct State;
  explicit DatabaseBuilder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace jet::create
