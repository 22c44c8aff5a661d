// Access to the shared corpus of real Access files, always through copies:
// tests read the bytes into memory (or a temporary folder) and never touch
// the originals.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/io/byte_source.h"
#include "jet/value_text.h"
#include "tests/support/assert_ok.h"

namespace jet::testing {

inline std::filesystem::path CorpusDir() { return TARNQUILL_CORPUS; }

inline bool HaveCorpus() { return std::filesystem::is_directory(CorpusDir()); }

// Every file of the corpus with one of `extensions`, sorted, as paths
// relative to it.
inline std::vector<std::string> CorpusFiles(std::initializer_list<std::string> extensions = {
                                                ".mdb"}) {
  std::vector<std::string> out;
  if (!HaveCorpus()) return out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(CorpusDir())) {
    const std::string ext = e.path().extension().string();
    if (e.is_regular_file() &&
        std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
      out.push_back(std::filesystem::relative(e.path(), CorpusDir()).string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

inline std::vector<uint8_t> ReadCorpusFile(const std::string& relative) {
  std::ifstream in(CorpusDir() / relative, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Opens an in-memory copy of `bytes`, named `name` in messages.
inline Result<std::unique_ptr<Database>> OpenImage(std::vector<uint8_t> bytes,
                                                   const std::string& name,
                                                   const std::string& password = "") {
  OpenOptions o;
  o.password = password;
  return OpenDatabase(std::make_unique<MemoryByteSource>(std::move(bytes), name), o);
}

// The table's rows as CSV lines (no header), or the failure.
inline Result<std::vector<std::string>> ExportRows(Database& db, const std::string& table) {
  JET_ASSIGN_OR_RETURN(TableDef def, db.FindTable(table));
  JET_ASSIGN_OR_RETURN(auto cursor, db.Scan(def));
  std::vector<std::string> rows;
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, cursor->Next());
    if (!more) break;
    std::string line;
    for (size_t i = 0; i < def.columns.size(); ++i) {
      JET_ASSIGN_OR_RETURN(Value v, cursor->Get(i));
      if (i > 0) line.push_back(',');
      line += CsvField(v);
    }
    rows.push_back(std::move(line));
  }
  return rows;
}

// Every table of `db` exported, "name:" followed by its rows; a failure ends it.
inline Result<std::vector<std::string>> ExportAll(Database& db) {
  JET_ASSIGN_OR_RETURN(auto tables, db.ListTables());
  std::vector<std::string> out;
  for (const TableInfo& t : tables) {
    out.push_back(t.name + ":");
    JET_ASSIGN_OR_RETURN(auto rows, ExportRows(db, t.name));
    out.insert(out.end(), rows.begin(), rows.end());
  }
  return out;
}

}  // namespace jet::testing
