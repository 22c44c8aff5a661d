#include "jet/create/database_builder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>

#include "jet/create/bytes_out.h"
#include "jet/create/header_writer.h"
#include "jet/create/key_set.h"
#include "jet/create/page_image.h"
#include "jet/create/pages.h"
#include "jet/create/row_encoder.h"
#include "jet/create/system_tables.h"
#include "jet/create/table_layout.h"
#include "jet/format.h"
#include "jet/io/atomic_write.h"
#include "jet/keys/index_key.h"
#include "jet/text_codec.h"
#include "text/case_fold.h"

namespace jet::create {

namespace {

constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kGlobalMapPage = 1;
constexpr uint32_t kFirstSystemDefinition = 2;
constexpr size_t kMaxRowSize = kPageSize - kDataPageHeader - 2;
// A long value stored in one row of its own, or a chain piece: the row must
// fit an empty page, keeping 4 bytes for the chain link.
constexpr size_t kMaxLongValueChunk = kMaxRowSize - 4;
constexpr uint32_t kLongSingle = 0x40000000;
// Data pages with at least this much room are listed as having free space.
constexpr int64_t kFreeSpaceWorthListing = 64;

struct TableState {
  TableDef def;
  DefinitionExtras extras;
  std::vector<uint32_t> data_pages;
  uint32_t current_page = 0;
  struct LongValues {
    std::vector<uint32_t> pages;
    uint32_t current = 0;
  };
  std::vector<LongValues> long_values;  // per entry of extras.long_value_maps
  std::vector<int> long_value_of_column;
  struct IndexKeys {
    std::vector<uint8_t> arena;  // every key, back to back
    std::vector<IndexEntry> entries;
    KeySet hashes;  // unique indexes: hashes of the stored keys
    bool Has(const Bytes& key, size_t limit) const {
      for (size_t i = 0; i < limit; ++i) {
        const IndexEntry& e = entries[i];
        if (e.length == key.size() &&
            std::memcmp(arena.data() + e.offset, key.data(), key.size()) == 0) {
          return true;
        }
      }
      return false;
    }
  };
  std::vector<IndexKeys> keys;  // per index
};

uint64_t KeyHash(const Bytes& b) { return KeySet::Hash(b.data(), b.size()); }

}  // namespace

struct DatabaseBuilder::State {
  PageImage image{kPageSize};
  NewDatabaseOptions options;
  double date = 0;
  std::vector<std::unique_ptr<TableState>> tables;  // [0] the catalog, [1] the access entries
  uint32_t map_page = 0;
  bool finished = false;
  std::mt19937_64 random{std::random_device{}()};

  uint32_t MapRow() {
    static const uint8_t kBlank[kMapRowSize] = {};
    if (map_page == 0 || RoomAfter(image, map_page, kMapRowSize) < 0) {
      map_page = image.Allocate();
      InitDataPage(image, map_page, 0);
    }
    uint16_t slot = AddRow(image, map_page, kBlank, kMapRowSize);
    return map_page << 8 | slot;
  }

  TableState* Find(std::string_view name) {
    std::string folded = text::FoldCase(std::string(name));
    for (auto& t : tables) {
      if (text::FoldCase(t->def.name) == folded) return t.get();
    }
    return nullptr;
  }

  Result<TableState*> AddTable(const TableSpec& spec, bool system, uint32_t definition_page);
  Status Insert(TableState& t, const std::vector<Row>& rows);
  Status FinishTable(TableState& t);
};

namespace {

class LongValueStore : public LongValueWriter {
 public:
  LongValueStore(PageImage& image, TableState& table) : image_(image), table_(table) {}

  Result<Bytes> Write(size_t column, const Bytes& data) override {
    TableState::LongValues& lv =
        table_.long_values[static_cast<size_t>(table_.long_value_of_column[column])];
    Bytes ref(12, 0);
    if (data.size() <= kMaxLongValueChunk) {
      uint32_t row = Place(lv, data.data(), data.size());
      Put32(ref.data(), kLongSingle | static_cast<uint32_t>(data.size()));
      Put32(ref.data() + 4, row);
      return ref;
    }
    // A chain: each piece starts with the pointer to the next (0 ends it).
    uint32_t first = 0, previous = 0;
    std::vector<uint8_t> piece;
    for (size_t at = 0; at < data.size(); at += kMaxLongValueChunk) {
      size_t n = std::min(kMaxLongValueChunk, data.size() - at);
      piece.assign(4, 0);
      piece.insert(piece.end(), data.begin() + static_cast<ptrdiff_t>(at),
                   data.begin() + static_cast<ptrdiff_t>(at + n));
      uint32_t row = Place(lv, piece.data(), piece.size());
      if (previous != 0) {
        Put32(RowBytes(image_, previous >> 8, static_cast<uint16_t>(previous & 0xFF)), row);
      } else {
        first = row;
      }
      previous = row;
    }
    Put32(ref.data(), static_cast<uint32_t>(data.size()));
    Put32(ref.data() + 4, first);
    return ref;
  }

 private:
  uint32_t Place(TableState::LongValues& lv, const uint8_t* bytes, size_t n) {
    if (lv.current == 0 || RoomAfter(image_, lv.current, n) < 0) {
      lv.current = image_.Allocate();
      InitDataPage(image_, lv.current, kLongValueOwner);
      lv.pages.push_back(lv.current);
    }
    uint16_t slot = AddRow(image_, lv.current, bytes, n);
    return lv.current << 8 | slot;
  }

  PageImage& image_;
  TableState& table_;
};

}  // namespace

Result<TableState*> DatabaseBuilder::State::AddTable(const TableSpec& spec, bool system,
                                                     uint32_t definition_page) {
  JET_ASSIGN_OR_RETURN(TableDef def, LayoutTable(spec));
  // Text columns record the order their keys are built in; readers and the
  // update path encode keys by what the column says.
  for (ColumnDef& c : def.columns) {
    if (c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
      c.sort_order = options.sort_order.id;
      c.sort_order_version = options.sort_order.version;
    }
  }
  auto t = std::make_unique<TableState>();
  t->def = std::move(def);
  t->def.system = system;
  t->def.definition_page = definition_page;
  t->extras.system = system;
  t->extras.owned_map = MapRow();
  t->extras.free_map = MapRow();
  for (size_t i = 0; i < t->def.indexes.size(); ++i) t->extras.index_maps.push_back(MapRow());
  t->long_value_of_column.assign(t->def.columns.size(), -1);
  for (size_t k = 0; k < t->def.columns.size(); ++k) {
    const ColumnDef& c = t->def.columns[k];
    if (c.type != ColumnType::kMemo && c.type != ColumnType::kOle) continue;
    t->long_value_of_column[k] = static_cast<int>(t->extras.long_value_maps.size());
    uint32_t owned = MapRow();
    uint32_t free = MapRow();
    t->extras.long_value_maps.push_back({c.number, owned, free});
    t->long_values.emplace_back();
  }
  t->keys.resize(t->def.indexes.size());
  tables.push_back(std::move(t));
  return tables.back().get();
}

Status DatabaseBuilder::State::Insert(TableState& t, const std::vector<Row>& rows) {
  const TableDef& def = t.def;
  const keys::SortOrder order = options.sort_order;
  uint32_t last_auto = t.extras.last_auto_number;
  std::vector<Row> ready;
  ready.reserve(rows.size());
  // Keys go straight into each index's arena; a failure cuts them back off.
  // pending[x][r] is the entry of row r in index x, or -1 (NULLs ignored).
  std::vector<size_t> arena_mark, entries_mark;
  std::vector<std::vector<int64_t>> pending(def.indexes.size());
  for (auto& k : t.keys) {
    arena_mark.push_back(k.arena.size());
    entries_mark.push_back(k.entries.size());
  }
  auto undo = [&](Status s) {
    for (size_t x = 0; x < t.keys.size(); ++x) {
      t.keys[x].arena.resize(arena_mark[x]);
      t.keys[x].entries.resize(entries_mark[x]);
    }
    return s;
  };
  std::vector<KeySet> batch_keys(def.indexes.size());
  std::vector<Bytes> encoded_rows;  // rows that need no long-value pages, ready to store
  encoded_rows.reserve(rows.size());
  Status checked = [&]() -> Status {
    for (size_t r = 0; r < rows.size(); ++r) {
      const RowWhere where{&def.name, r + 1};
      if (rows[r].size() != def.columns.size()) {
        return Status::InvalidArgument(where.Text() + ": " + std::to_string(rows[r].size()) +
                                       " values for " + std::to_string(def.columns.size()) +
                                       " columns");
      }
      Row row = rows[r];
      for (size_t k = 0; k < def.columns.size(); ++k) {
        const ColumnDef& c = def.columns[k];
        if (c.auto_number && c.type == ColumnType::kLong) {
          if (IsNull(row[k])) {
            if (last_auto == INT32_MAX) {
              return Status::InvalidArgument(where.Text() + ": column '" + c.name +
                                             "' has run out of numbers");
            }
            row[k] = static_cast<int32_t>(++last_auto);
          }
        } else if (c.auto_number && c.type == ColumnType::kGuid && IsNull(row[k])) {
          Guid g;
          for (auto& b : g.bytes) b = static_cast<uint8_t>(random());
          g.bytes[7] = static_cast<uint8_t>((g.bytes[7] & 0x0F) | 0x40);  // version 4
          g.bytes[8] = static_cast<uint8_t>((g.bytes[8] & 0x3F) | 0x80);
          row[k] = g;
        }
        JET_ASSIGN_OR_RETURN(row[k], CoerceValue(c, std::move(row[k]), where));
        if (c.auto_number && c.type == ColumnType::kLong) {
          int32_t v = std::get<int32_t>(row[k]);
          if (v > 0 && static_cast<uint32_t>(v) > last_auto) last_auto = static_cast<uint32_t>(v);
        }
      }
      bool needs_long_values = false;
      JET_ASSIGN_OR_RETURN(Bytes measured, EncodeRow(def, row, nullptr, where, &needs_long_values));
      if (measured.size() > kMaxRowSize) {
        return Status::InvalidArgument(
            where.Text() + ": the row needs " + std::to_string(measured.size()) +
            " bytes, more than a page holds (" + std::to_string(kMaxRowSize) + ")");
      }
      for (size_t x = 0; x < def.indexes.size(); ++x) {
        pending[x].push_back(-1);
        const IndexDef& index = def.indexes[x];
        std::vector<keys::KeyPart> parts;
        bool any_null = false, all_null = true;
        for (const IndexColumn& ic : index.columns) {
          const ColumnDef& c = def.columns[ic.column];
          const Value& v = row[ic.column];
          bool null = IsNull(v);
          any_null = any_null || null;
          all_null = all_null && null;
          parts.push_back(keys::KeyPart{c.type, v, ic.ascending, c.scale});
        }
        if (index.required && any_null) {
          return Status::Constraint(where.Text() + ": index '" + index.name +
                                    "' does not allow empty values");
        }
        if (index.ignore_nulls && all_null) continue;
        auto key = keys::EncodeIndexKey(parts, order, keys::JetVersion::kJet4);
        if (!key.ok()) {
          return key.status().WithContext(where.Text() + ": index '" + index.name + "'");
        }
        if (index.unique && !any_null) {
          uint64_t h = KeyHash(*key);
          bool duplicate = false;
          if (t.keys[x].hashes.Contains(h)) duplicate = t.keys[x].Has(*key, entries_mark[x]);
          if (!duplicate && batch_keys[x].Contains(h)) {
            duplicate = t.keys[x].Has(*key, t.keys[x].entries.size());
          }
          if (duplicate) {
            return Status::Constraint(
                where.Text() + ": the value duplicates a key of unique index '" + index.name + "'");
          }
          batch_keys[x].Insert(h);
        }
        TableState::IndexKeys& k = t.keys[x];
        pending[x].back() = static_cast<int64_t>(k.entries.size());
        k.entries.push_back(IndexEntry{k.arena.size(), static_cast<uint32_t>(key->size()), 0});
        k.arena.insert(k.arena.end(), key->begin(), key->end());
      }
      encoded_rows.push_back(needs_long_values ? Bytes() : std::move(measured));
      ready.push_back(std::move(row));
    }
    return Status::Ok();
  }();
  if (!checked.ok()) return undo(checked);

  // Everything checked: store the rows.
  LongValueStore store(image, t);
  for (size_t r = 0; r < ready.size(); ++r) {
    if (encoded_rows[r].empty()) {
      auto encoded = EncodeRow(def, ready[r], &store, RowWhere{&def.name, r + 1});
      if (!encoded.ok()) return encoded.status();  // cannot happen after the checks above
      encoded_rows[r] = std::move(encoded).value();
    }
    const Bytes& bytes = encoded_rows[r];
    if (t.current_page == 0 || RoomAfter(image, t.current_page, bytes.size()) < 0) {
      t.current_page = image.Allocate();
      InitDataPage(image, t.current_page, def.definition_page);
      t.data_pages.push_back(t.current_page);
    }
    uint16_t slot = AddRow(image, t.current_page, bytes.data(), bytes.size());
    uint32_t pointer = t.current_page << 8 | slot;
    for (size_t x = 0; x < def.indexes.size(); ++x) {
      if (pending[x][r] < 0) continue;
      IndexEntry& e = t.keys[x].entries[static_cast<size_t>(pending[x][r])];
      e.row = pointer;
      if (def.indexes[x].unique) {
        t.keys[x].hashes.Insert(KeySet::Hash(t.keys[x].arena.data() + e.offset, e.length));
      }
    }
  }
  t.def.row_count += static_cast<uint32_t>(ready.size());
  t.extras.last_auto_number = last_auto;
  return Status::Ok();
}

Status DatabaseBuilder::State::FinishTable(TableState& t) {
  for (size_t x = 0; x < t.def.indexes.size(); ++x) {
    auto& entries = t.keys[x].entries;
    const uint8_t* arena = t.keys[x].arena.data();
    std::sort(entries.begin(), entries.end(), [arena](const IndexEntry& a, const IndexEntry& b) {
      int c = std::memcmp(arena + a.offset, arena + b.offset, std::min(a.length, b.length));
      if (c != 0) return c < 0;
      if (a.length != b.length) return a.length < b.length;
      return a.row < b.row;
    });
    std::vector<uint32_t> pages;
    t.def.indexes[x].root_page = BuildIndexTree(image, Jet4Format(), t.def.definition_page,
                                                t.keys[x].arena, entries, &pages);
    std::sort(pages.begin(), pages.end());
    WriteUsageMap(image, t.extras.index_maps[x], pages, false);
    t.keys[x] = TableState::IndexKeys();
  }
  std::vector<uint32_t> free;
  for (uint32_t p : t.data_pages) {
    if (RoomAfter(image, p, 0) >= kFreeSpaceWorthListing) free.push_back(p);
  }
  WriteUsageMap(image, t.extras.owned_map, t.data_pages, false);
  WriteUsageMap(image, t.extras.free_map, free, false);
  for (size_t i = 0; i < t.long_values.size(); ++i) {
    const auto& lv = t.long_values[i];
    std::vector<uint32_t> lv_free;
    for (uint32_t p : lv.pages) {
      if (RoomAfter(image, p, 0) >= kFreeSpaceWorthListing) lv_free.push_back(p);
    }
    WriteUsageMap(image, t.extras.long_value_maps[i].owned, lv.pages, false);
    WriteUsageMap(image, t.extras.long_value_maps[i].free, lv_free, false);
  }
  JET_ASSIGN_OR_RETURN(auto page, SerializeTableDef(t.def, t.extras, kPageSize));
  std::memcpy(image.Page(t.def.definition_page), page.data(), kPageSize);
  return Status::Ok();
}

DatabaseBuilder::DatabaseBuilder(std::unique_ptr<State> state) : state_(std::move(state)) {}
DatabaseBuilder::~DatabaseBuilder() = default;

Result<std::unique_ptr<DatabaseBuilder>> DatabaseBuilder::New(const NewDatabaseOptions& options) {
  auto s = std::make_unique<State>();
  s->options = options;
  s->date = options.creation_date != 0 ? options.creation_date : NowAsDays();
  auto collation = keys::ResolveCollation(options.sort_order, keys::JetVersion::kJet4);
  if (!collation.ok()) return collation.status();
  PageImage& image = s->image;
  image.Allocate();  // page 0: the header
  JET_RETURN_IF_ERROR(
      WriteHeaderPage(image.Page(0), options.password, s->date, options.sort_order));
  uint32_t global = image.Allocate();
  // The global map page: row 0 is the map of free pages; row 1 is kept blank
  // as the engine writes it.
  InitDataPage(image, global, kGlobalMapPage);
  static const uint8_t kBlank[kMapRowSize] = {};
  AddRow(image, global, kBlank, kMapRowSize);
  AddRow(image, global, kBlank, kMapRowSize);
  std::vector<TableSpec> system = SystemTableSpecs();
  for (size_t i = 0; i < system.size(); ++i) image.Allocate();
  for (size_t i = 0; i < system.size(); ++i) {
    auto t = s->AddTable(system[i], true, kFirstSystemDefinition + static_cast<uint32_t>(i));
    if (!t.ok()) return t.status();
  }
  JET_RETURN_IF_ERROR(s->Insert(*s->tables[0], InitialCatalogRows(s->date)));
  JET_RETURN_IF_ERROR(s->Insert(*s->tables[1], InitialAceRows()));
  return std::unique_ptr<DatabaseBuilder>(new DatabaseBuilder(std::move(s)));
}

Status DatabaseBuilder::CreateTable(const TableSpec& spec) {
  State& s = *state_;
  if (s.finished) return Status::InvalidArgument("the database is already finished");
  if (s.Find(spec.name)) {
    return Status::InvalidArgument("table '" + spec.name + "' already exists");
  }
  if (text::FoldCase(spec.name).rfind("msys", 0) == 0) {
    return Status::InvalidArgument("table name '" + spec.name + "' is reserved for system tables");
  }
  JET_RETURN_IF_ERROR(LayoutTable(spec).status());  // check before allocating anything
  uint32_t page = s.image.Allocate();
  s.image.Page(page)[0] = kPageTableDef;  // written in full by Finish
  JET_ASSIGN_OR_RETURN(TableState * t, s.AddTable(spec, false, page));
  auto id = static_cast<int32_t>(page);
  JET_RETURN_IF_ERROR(s.Insert(
      *s.tables[0], {CatalogRow(id, kTablesId, t->def.name, 1, NowAsDays(), UserTableOwner(), 0)}));
  return s.Insert(*s.tables[1], TableAceRows(id));
}

Status DatabaseBuilder::InsertRows(std::string_view table, const std::vector<Row>& rows) {
  State& s = *state_;
  if (s.finished) return Status::InvalidArgument("the database is already finished");
  TableState* t = s.Find(table);
  if (!t || t->def.system) {
    return Status::NotFound("table '" + std::string(table) + "' does not exist");
  }
  return s.Insert(*t, rows);
}

Result<TableDef> DatabaseBuilder::Describe(std::string_view table) const {
  TableState* t = state_->Find(table);
  if (!t) return Status::NotFound("table '" + std::string(table) + "' does not exist");
  return t->def;
}

Result<std::vector<uint8_t>> DatabaseBuilder::Finish() {
  State& s = *state_;
  if (s.finished) return Status::InvalidArgument("the database is already finished");
  s.finished = true;
  for (auto& t : s.tables) JET_RETURN_IF_ERROR(s.FinishTable(*t));
  // Last, as it must count every page allocated before it.
  WriteUsageMap(s.image, kGlobalMapPage << 8, {}, true);
  return std::move(s.image.mutable_bytes());
}

Status DatabaseBuilder::Save(const std::string& path, FileSystem* fs) {
  JET_ASSIGN_OR_RETURN(auto bytes, Finish());
  return WriteFileAtomically(fs != nullptr ? fs : PosixFileSystem(), path, bytes);
}

}  // namespace jet::create
