#include "jet/repair/repair.h"

#include <memory>

#include "jet/alloc/page_editor.h"
#include "jet/header.h"
#include "jet/page_store.h"
#include "jet/rc4.h"
#include "jet/text_codec.h"
#include "jet/write/journaled_file.h"
#include "jet/write/journaled_source.h"
#include "jet/write/write_lock.h"

namespace jet {

namespace {

// Hands the editor's pages to the open transaction (encoded again for
// databases that encode their pages) and lets the store see them.
Status Flush(PageEditor& editor, PageStore& store, JournaledFile& file, uint32_t database_key) {
  std::vector<uint8_t> raw;
  for (const auto& [page, decoded] : editor.changes()) {
    const uint8_t* bytes = decoded.data();
    if (database_key != 0 && page != 0) {
      raw = decoded;
      uint8_t key[4];
      PageKey(database_key, page, key);
      Rc4Apply(key, sizeof key, raw.data(), raw.size());
      bytes = raw.data();
    }
    JET_RETURN_IF_ERROR(file.WritePage(page, bytes));
  }
  for (const auto& [page, decoded] : editor.changes()) store.Replace(page, decoded);
  editor.Clear();
  return Status::Ok();
}

Result<std::vector<RepairedTable>> RepairOpen(const std::string& path, JournaledFile& file,
                                              const Header& header,
                                              const RepairOptions& options) {
  JET_ASSIGN_OR_RETURN(auto reader,
                       OpenDatabase(std::make_unique<JournaledFileSource>(&file, path),
                                    OpenOptions{options.password}));
  std::vector<TableDef> tables;
  if (options.tables.empty()) {
    JET_ASSIGN_OR_RETURN(auto infos, reader->ListTables());
    for (const TableInfo& info : infos) {
      if (info.linked) continue;  // its rows live in another file
      JET_ASSIGN_OR_RETURN(TableDef def, reader->FindTable(info.name));
      tables.push_back(std::move(def));
    }
  } else {
    for (const std::string& name : options.tables) {
      JET_ASSIGN_OR_RETURN(TableDef def, reader->FindTable(name));
      if (def.system) {
        return Status::NotSupported(path + ": table '" + def.name +
                                    "' is a system table and is not changed");
      }
      tables.push_back(std::move(def));
    }
  }
  JournaledFileSource source(&file, path);
  PageStore store(&source, *header.format, header.database_key);
  TextDecoder text(header.format->text_utf16, header.code_page);
  PageEditor editor(&store);
  std::vector<RepairedTable> done;
  for (const TableDef& table : tables) {
    JET_ASSIGN_OR_RETURN(TableRebuild rebuild,
                         RebuildTableIndexes(editor, text, header.code_page, table));
    // Each table's pages join the transaction before the next is read, so
    // the editor never holds more than one table's trees.
    JET_RETURN_IF_ERROR(Flush(editor, store, file, header.database_key));
    done.push_back(RepairedTable{table.name, std::move(rebuild)});
  }
  return done;
}

}  // namespace

Result<std::vector<RepairedTable>> RepairIndexes(const std::string& path,
                                                 const RepairOptions& options) {
  FileSystem* fs = options.fs != nullptr ? options.fs : PosixFileSystem();
  std::unique_ptr<WriteLock> lock;
  if (options.lock && options.fs == nullptr) {
    JET_ASSIGN_OR_RETURN(lock, WriteLock::Acquire(path));
  }
  // The header can be trusted only once an interrupted run is rolled back.
  JET_RETURN_IF_ERROR(RecoverJournal(fs, path));
  uint32_t page_size = 0;
  {
    JET_ASSIGN_OR_RETURN(auto f, fs->Open(path, OpenMode::kExisting));
    JET_ASSIGN_OR_RETURN(uint64_t size, f->Size());
    std::vector<uint8_t> raw(kHeaderReadSize);
    if (size < raw.size()) {
      return Status::Corruption(path + ": too short to be an Access database (" +
                                std::to_string(size) + " bytes)");
    }
    JET_RETURN_IF_ERROR(f->ReadAt(0, raw.size(), raw.data()));
    JET_ASSIGN_OR_RETURN(Header h, ParseHeader(raw, path));
    JET_RETURN_IF_ERROR(CheckPassword(h, options.password));
    page_size = h.format->page_size;
  }
  JET_ASSIGN_OR_RETURN(auto file, JournaledFile::Open(fs, path, page_size));
  std::vector<uint8_t> raw(kHeaderReadSize);
  JET_RETURN_IF_ERROR(JournaledFileSource(file.get(), path).ReadAt(0, raw.size(), raw.data()));
  JET_ASSIGN_OR_RETURN(Header header, ParseHeader(raw, path));
  JET_RETURN_IF_ERROR(file->Begin());
  auto done = RepairOpen(path, *file, header, options);
  if (!done.ok()) {
    (void)file->Rollback();
    return done.status();
  }
  JET_RETURN_IF_ERROR(file->Commit());
  return done;
}

}  // namespace jet
