#include "jet/repair/repair.h"

#include <memory>

#include "jet/alloc/page_editor.h"
#include "jet/header.h"

namespace jet {

namespace {

// Hands the editor's pages to the open transaction (encoded again for
// databases that encode their pages) and lets the store see them.
Status Flush(PageEditor& editor, WriteSession& session) {
  std::vector<uint8_t> raw;
  for (const auto& [page, decoded] : editor.changes()) {
    raw = decoded;
    JET_RETURN_IF_ERROR(session.store().Encode(page, raw.data()));
    JET_RETURN_IF_ERROR(session.sink().WritePage(page, raw.data()));
  }
  for (const auto& [page, decoded] : editor.changes()) session.store().Replace(page, decoded);
  editor.Clear();
  return Status::Ok();
}

Result<std::vector<RepairedTable>> RebuildAll(WriteSession& session,
                                              const std::vector<std::string>& names) {
  Database& reader = session.reader();
  std::vector<TableDef> tables;
  if (names.empty()) {
    JET_ASSIGN_OR_RETURN(auto infos, reader.ListTables());
    for (const TableInfo& info : infos) {
      if (info.linked) continue;  // its rows live in another file
      JET_ASSIGN_OR_RETURN(TableDef def, reader.FindTable(info.name));
      tables.push_back(std::move(def));
    }
  } else {
    for (const std::string& name : names) {
      JET_ASSIGN_OR_RETURN(TableDef def, reader.FindTable(name));
      if (def.system) {
        return Status::NotSupported(session.path() + ": table '" + def.name +
                                    "' is a system table and is not changed");
      }
      tables.push_back(std::move(def));
    }
  }
  PageEditor editor(&session.store());
  std::vector<RepairedTable> done;
  for (const TableDef& table : tables) {
    JET_ASSIGN_OR_RETURN(TableRebuild rebuild, RebuildTableIndexes(editor, session.text(),
                                                                   session.header().code_page,
                                                                   table));
    // Each table's pages join the transaction before the next is read, so
    // the editor never holds more than one table's trees.
    JET_RETURN_IF_ERROR(Flush(editor, session));
    done.push_back(RepairedTable{table.name, std::move(rebuild)});
  }
  return done;
}

}  // namespace

Result<std::vector<RepairedTable>> RepairIndexes(const std::string& path,
                                                 const std::vector<std::string>& tables,
                                                 const WriteOptions& options) {
  JET_ASSIGN_OR_RETURN(auto session, WriteSession::Open(path, options));
  JET_RETURN_IF_ERROR(session->Begin());
  auto done = RebuildAll(*session, tables);
  if (!done.ok()) {
    session->Rollback();
    return done.status();
  }
  JET_RETURN_IF_ERROR(session->Commit());
  return done;
}

}  // namespace jet
