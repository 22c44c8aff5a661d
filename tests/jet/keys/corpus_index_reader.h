// Just enough of the file format to check our index keys against the keys
// Access wrote: table definitions, index leaf pages and the rows they point
// at. Test-only and deliberately small; it reads unencrypted files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/keys/index_key.h"

namespace jet::keys::testing {

struct CorpusColumn {
  std::string name;
  ColumnType type = ColumnType::kText;
  uint16_t number = 0;     // column number stored in rows
  uint16_t var_index = 0;  // position in the variable-length table
  uint16_t fixed_offset = 0;
  uint16_t length = 0;
  bool fixed = false;
  uint8_t scale = 0;
  SortOrder sort_order;
};

struct CorpusIndex {
  std::vector<std::pair<size_t, bool>> columns;  // (column position, ascending)
  uint32_t root_page = 0;
};

struct CorpusTable {
  uint32_t definition_page = 0;
  std::string name;  // empty: the test reader does not read the catalog
  std::vector<CorpusColumn> columns;
  std::vector<CorpusIndex> indexes;
};

// One leaf entry: the key bytes Access stored and the row they point at.
struct LeafEntry {
  Bytes key;
  uint32_t page = 0;
  uint8_t row = 0;
};

class CorpusFile {
 public:
  // Loads `path`. Returns false (with `why`) for files this reader cannot
  // handle: other versions, encrypted pages.
  bool Load(const std::string& path, std::string* why);

  JetVersion version() const { return version_; }
  // Every table definition found by scanning the pages.
  const std::vector<CorpusTable>& tables() const { return tables_; }
  // The leaf entries of `index` in page order; false on a page that does not parse.
  bool ReadLeafEntries(const CorpusIndex& index, std::vector<LeafEntry>* out,
                       std::string* why) const;
  // The values of `columns` of the row at (page, row); false with `why` when
  // the row cannot be decoded by this reader (memo values, long Jet 3 rows).
  bool ReadValues(const CorpusTable& table, uint32_t page, uint8_t row,
                  const std::vector<size_t>& columns, std::vector<Value>* out,
                  std::string* why) const;

 private:
  const uint8_t* Page(uint32_t n) const;
  bool ParseTable(uint32_t first_page, CorpusTable* table) const;
  bool RowBounds(uint32_t page, uint8_t row, size_t* start, size_t* end, int depth) const;

  std::vector<uint8_t> bytes_;
  JetVersion version_ = JetVersion::kJet4;
  size_t page_size_ = 4096;
  std::vector<CorpusTable> tables_;
};

}  // namespace jet::keys::testing
