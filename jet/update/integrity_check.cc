#include "jet/update/integrity_check.h"

#include <algorithm>
#include <map>
#include <set>

#include "jet/alloc/data_page.h"
#include "jet/alloc/page_editor.h"
#include "jet/alloc/usage_map_edit.h"
#include "jet/calculated_types.h"
#include "jet/catalog.h"
#include "jet/crypto/office_cipher.h"
#include "jet/header.h"
#include "jet/index/index_writer.h"
#include "jet/page_store.h"
#include "jet/repair/legacy_layout.h"
#include "jet/row_locator.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "jet/text_codec.h"
#include "jet/usage_map.h"
#include "jet/write/read_open.h"
#include "text/case_fold.h"

namespace jet {

namespace {

std::string Hex(const Bytes& b) {
  static const char* kDigits = "0123456789abcdef";
  std::string s;
  for (uint8_t c : b) {
    s += kDigits[c >> 4];
    s += kDigits[c & 15];
  }
  return s;
}

std::string RowName(RowId id) { return std::to_string(id.page) + ":" + std::to_string(id.slot); }

class Checker {
 public:
  Checker(std::unique_ptr<ByteSource> source, Header header)
      : source_(std::move(source)),
        header_(std::move(header)),
        store_(source_.get(), *header_.format, header_.database_key),
        text_(header_.format->text_utf16, header_.code_page),
        editor_(&store_),
        indexes_(&editor_, header_.code_page) {}

  // Pages of encrypted files are decrypted with `cipher` (null: not encrypted).
  void SetCipher(std::shared_ptr<const PageCipher> cipher) { store_.SetCipher(std::move(cipher)); }

  CheckReport Run() {
    report_.pages = store_.page_count();
    auto catalog = ReadCatalog(store_, text_);
    if (!catalog.ok()) {
      Problem("the catalog cannot be read: " + catalog.status().message());
      return report_;
    }
    std::set<uint32_t> seen_defs;
    for (const CatalogEntry& e : *catalog) {
      if (!e.table() || !seen_defs.insert(e.definition_page).second) continue;
      auto def = ReadTableDef(store_, text_, e.definition_page);
      if (!def.ok()) {
        Problem("table '" + e.name + "': definition unreadable: " + def.status().message());
        continue;
      }
      def->name = e.name;
      // Calculated columns store values of their expression's type.
      Status types = ApplyResultTypes(store_, text_, &*def);
      if (!types.ok()) Problem("table '" + e.name + "': " + types.message());
      ++report_.tables;
      CheckTable(*def);
    }
    CheckPageOwnership();
    return report_;
  }

 private:
  void Problem(const std::string& s) { report_.problems.push_back(s); }
  void Warning(const std::string& s) { report_.warnings.push_back(s); }

  void CheckTable(const TableDef& t) {
    const std::string where = "table '" + t.name + "'";
    auto owned = ReadUsageMap(store_, t.owned_map);
    if (!owned.ok()) {
      Problem(where + ": page map unreadable: " + owned.status().message());
      return;
    }
    for (uint32_t p : *owned) {
      auto [it, fresh] = owner_.emplace(p, t.name);
      if (!fresh) Problem("page " + std::to_string(p) + " is owned by tables '" + it->second +
                          "' and '" + t.name + "'");
      if (p >= store_.page_count()) {
        Problem(where + ": its page map lists page " + std::to_string(p) +
                " beyond the end of the file");
        continue;
      }
      auto page = store_.Get(p);
      if (!page.ok()) continue;
      ByteView v = View(*page);
      if (v.U8(0) != kPageData || DataPageOwner(v) != t.definition_page) {
        Problem(where + ": its page map lists page " + std::to_string(p) +
                ", which is not one of its data pages (type " + std::to_string(v.U8(0)) + ")");
      }
    }
    table_of_def_[t.definition_page] = t.name;
    if (t.system || text::FoldCase(t.name).rfind("msys", 0) == 0) {
      system_defs_.insert(t.definition_page);
    }
    structure_pages_[t.definition_page] = where + "'s definition";
    for (const IndexDef& x : t.indexes) {
      if (x.root_page != 0) structure_pages_[x.root_page] = where + "'s index '" + x.name + "'";
    }
    // Jet 4 lists the long-value pages of memo and OLE columns in maps of
    // their own: they must hold long values, and only one table's.
    for (uint32_t map : t.long_value_maps) {
      if (map == 0) continue;  // a column without a map of its own
      auto pages = ReadUsageMap(store_, map);
      if (!pages.ok()) {
        Problem(where + ": a long-value page map is unreadable: " + pages.status().message());
        continue;
      }
      for (uint32_t p : *pages) {
        auto page = p < store_.page_count() ? store_.Get(p) : Result<PageRef>(Status::NotFound(""));
        if (!page.ok() || View(*page).U8(0) != kPageData ||
            DataPageOwner(View(*page)) != kLongValueMarker) {
          Problem(where + ": a long-value page map lists page " + std::to_string(p) +
                  ", which is not a long-value page");
          continue;
        }
        auto [it, fresh] = long_value_owner_.emplace(p, t.name);
        if (!fresh && it->second != t.name) {
          Problem("long-value page " + std::to_string(p) + " is listed by tables '" + it->second +
                  "' and '" + t.name + "'");
        }
      }
    }
    owned_pages_[t.definition_page] = std::set<uint32_t>(owned->begin(), owned->end());
    auto free_pages = ReadUsageMap(store_, t.free_map);
    if (!free_pages.ok()) {
      Problem(where + ": free-space map unreadable: " + free_pages.status().message());
    } else {
      for (uint32_t p : *free_pages) {
        if (!std::binary_search(owned->begin(), owned->end(), p)) {
          Warning(where + ": its free-space map lists page " + std::to_string(p) +
                  ", which it does not own (left by an earlier change; harmless)");
        }
      }
    }

    // Rows: every value (long values included) must decode.
    std::map<std::pair<uint32_t, uint16_t>, std::vector<Value>> rows;
    auto scan = TableScan::Open(&store_, &text_, t);
    if (!scan.ok()) {
      Problem(where + ": " + scan.status().message());
      return;
    }
    std::set<std::pair<uint32_t, uint16_t>> targets;
    for (;;) {
      auto next = (*scan)->Next();
      if (!next.ok()) {
        Problem(where + ": " + next.status().message());
        return;
      }
      if (!*next) break;
      RowId id = (*scan)->id();
      std::vector<Value> values;
      bool good = true;
      for (size_t c = 0; c < t.columns.size(); ++c) {
        auto v = (*scan)->Get(c);
        if (!v.ok()) {
          Problem(v.status().message());
          good = false;
          break;
        }
        values.push_back(std::move(v).value());
      }
      auto home = LocateRow(store_, id.page, id.slot);
      if (home.ok() && home->lookup() && home->bytes().size >= 4) {
        uint32_t raw = home->bytes().U32(0);
        if (!targets.insert({raw >> 8, raw & 0xFF}).second) {
          Problem(where + ": row " + RowName(id) + " shares its moved data with another row");
        }
      }
      ++report_.rows;
      if (good) rows[{id.page, id.slot}] = std::move(values);
    }
    CheckIndexes(t, rows);
  }

  void CheckIndexes(const TableDef& t,
                    const std::map<std::pair<uint32_t, uint16_t>, std::vector<Value>>& rows) {
    std::set<uint32_t> done;
    for (const IndexDef& x : t.indexes) {
      if (!done.insert(x.real_index).second) continue;
      const std::string where = "table '" + t.name + "': index '" + x.name + "'";
      if (x.root_page == 0) continue;
      editor_.Clear();
      auto entries = indexes_.Entries(x);
      if (!entries.ok()) {
        Problem(where + ": " + entries.status().message());
        continue;
      }
      report_.index_entries += entries->size();
      std::vector<std::string> shape;
      Status walked = indexes_.Validate(x, &shape);
      if (!shape.empty()) {
        // A tree with misplaced sibling links otherwise shows as a problem
        // per leaf and per row; what fixes it is the same for all of them.
        auto legacy = HasAccess97Layout(editor_, x);
        if (legacy.ok() && *legacy) {
          Problem(Access97LayoutMessage(t.name, x.name));
          continue;
        }
      }
      if (!walked.ok()) Problem(where + ": " + walked.message());
      for (const std::string& s : shape) Problem("table '" + t.name + "': " + s);
      for (size_t i = 1; i < entries->size(); ++i) {
        if (!((*entries)[i - 1].SortBytes() < (*entries)[i].SortBytes())) {
          Problem(where + ": entries " + std::to_string(i - 1) + " and " + std::to_string(i) +
                  " are out of order");
          break;
        }
      }
      // Keys we can compute are compared both ways; otherwise only pointers.
      bool keys_known = true;
      std::string why;
      std::multiset<std::pair<Bytes, std::pair<uint32_t, uint16_t>>> expected;
      std::set<std::pair<uint32_t, uint16_t>> null_keys;
      for (const auto& [id, values] : rows) {
        auto key = indexes_.KeyFor(t, x, values);
        if (!key.ok()) {
          keys_known = false;
          why = key.status().message();
          break;
        }
        if (*key) expected.insert({**key, id});
        bool all_null = true;
        for (const IndexColumn& ic : x.columns) all_null = all_null && IsNull(values[ic.column]);
        if (all_null) null_keys.insert(id);
      }
      std::multiset<std::pair<Bytes, std::pair<uint32_t, uint16_t>>> actual;
      for (const IndexEntry& e : *entries) actual.insert({e.key, {e.row.page, e.row.slot}});
      if (!keys_known) {
        Warning(where + ": keys not verified (" + why + ")");
        for (const auto& [key, id] : actual) {
          if (!rows.count(id)) {
            Problem(where + ": entry " + Hex(key) + " points at row " +
                    RowName(RowId{id.first, id.second}) + ", which is not a live row");
          }
        }
        continue;
      }
      int reported = 0;
      for (const auto& e : actual) {
        if (expected.count(e) || reported > 20) continue;
        ++reported;
        RowId id{e.second.first, e.second.second};
        Problem(where + ": entry " + Hex(e.first) + " for row " + RowName(id) +
                (rows.count(e.second) ? " does not match the row's values"
                                      : " points at no live row"));
      }
      for (const auto& e : expected) {
        if (actual.count(e) || reported > 20) continue;
        ++reported;
        if (null_keys.count(e.second)) {
          Warning(where + ": row " + RowName(RowId{e.second.first, e.second.second}) +
                  " has no entry for its NULL key (some writers leave NULL keys out of "
                  "indexes; lookups by value are unaffected)");
          continue;
        }
        Problem(where + ": row " + RowName(RowId{e.second.first, e.second.second}) +
                " has no entry (expected key " + Hex(e.first) + ")");
      }
    }
  }

  // Data pages of a table must be in its page map (unless the file lists them
  // as free), and pages marked free must not be owned.
  void CheckPageOwnership() {
    editor_.Clear();
    auto free_pages = ReadMapPages(editor_, kGlobalUsageMap);
    if (!free_pages.ok()) {
      free_pages = ReadMapPages(editor_, kGlobalUsageMap, /*strict=*/false);
      if (free_pages.ok()) {
        Warning("the map of free pages names bitmap pages beyond the end of the file; "
                "they are ignored (no page there can be free)");
      }
    }
    std::set<uint32_t> free_set;
    if (!free_pages.ok()) {
      Problem("the map of free pages cannot be read: " + free_pages.status().message());
    } else {
      free_set.insert(free_pages->begin(), free_pages->end());
    }
    for (const auto& [page, table] : owner_) {
      if (free_set.count(page)) {
        Problem("page " + std::to_string(page) + " of table '" + table +
                "' is also marked free");
      }
    }
    for (const auto& [page, table] : long_value_owner_) {
      if (free_set.count(page)) {
        Problem("long-value page " + std::to_string(page) + " of table '" + table +
                "' is also marked free");
      }
    }
    for (const auto& [page, what] : structure_pages_) {
      if (free_set.count(page)) {
        Problem("page " + std::to_string(page) + " (" + what + ") is marked free");
      }
    }
    // A page given back must not hold rows of a table that still exists.
    // (Pages of dropped tables keep their old rows; Access leaves them so.)
    for (uint32_t p : free_set) {
      if (p == 0 || p >= store_.page_count()) continue;
      auto page = store_.Get(p);
      if (!page.ok()) continue;
      ByteView v = View(*page);
      if (v.U8(0) != kPageData) continue;
      auto table = table_of_def_.find(DataPageOwner(v));
      if (table == table_of_def_.end()) continue;
      std::vector<PageSlot> slots;
      if (!ReadDataPageSlots(*header_.format, v, p, &slots).ok()) continue;
      bool live = false;
      for (const PageSlot& slot : slots) live = live || !(slot.flags & kSlotDeleted);
      if (!live) continue;
      const std::string what = "page " + std::to_string(p) +
                               " is marked free but holds rows of table '" + table->second + "'";
      // Access leaves such pages behind for its own system tables; scans
      // never reach them.
      if (system_defs_.count(DataPageOwner(v))) {
        Warning(what + " (not in its page map; left by Access)");
      } else {
        Problem(what);
      }
    }
    for (uint32_t p = 1; p < store_.page_count(); ++p) {
      auto page = store_.Get(p);
      if (!page.ok()) {
        Problem(page.status().message());
        continue;
      }
      ByteView v = View(*page);
      if (v.U8(0) != kPageData || DataPageOwner(v) == kLongValueMarker) continue;
      auto def = owned_pages_.find(DataPageOwner(v));
      if (def == owned_pages_.end() || def->second.count(p) || free_set.count(p)) continue;
      // A page of rows that are all deleted is what Access leaves behind.
      std::vector<PageSlot> slots;
      bool live = false;
      if (ReadDataPageSlots(*header_.format, v, p, &slots).ok()) {
        for (const PageSlot& s : slots) live = live || !(s.flags & kSlotDeleted);
      }
      if (!live) continue;
      const std::string what = "page " + std::to_string(p) + " holds rows of table '" +
                               table_of_def_[DataPageOwner(v)] + "' but is not in its page map";
      // Access rewrites some of its own tables (the navigation pane's) onto a
      // new page and leaves the old copy behind, outside the map; scans
      // never reach it.
      if (system_defs_.count(DataPageOwner(v))) {
        Warning(what + " (an old copy left by Access)");
      } else {
        Problem(what);
      }
    }
  }

  std::unique_ptr<ByteSource> source_;
  Header header_;
  PageStore store_;
  TextDecoder text_;
  PageEditor editor_;
  IndexWriter indexes_;
  CheckReport report_;
  std::map<uint32_t, std::string> owner_;
  std::map<uint32_t, std::set<uint32_t>> owned_pages_;
  std::map<uint32_t, std::string> table_of_def_;
  std::map<uint32_t, std::string> long_value_owner_;  // pages listed in long-value maps
  std::map<uint32_t, std::string> structure_pages_;   // definitions and index roots
  std::set<uint32_t> system_defs_;
};

}  // namespace

Result<CheckReport> CheckDatabase(std::unique_ptr<ByteSource> source, const std::string& password) {
  std::vector<uint8_t> raw(kHeaderReadSize);
  if (source->size() < raw.size()) {
    return Status::Corruption(source->name() + ": too short to be an Access database");
  }
  JET_RETURN_IF_ERROR(source->ReadAt(0, raw.size(), raw.data()));
  JET_ASSIGN_OR_RETURN(Header header, ParseHeader(raw, source->name()));
  JET_ASSIGN_OR_RETURN(auto cipher, UnlockPages(*source, header, password));
  Checker checker(std::move(source), std::move(header));
  checker.SetCipher(std::move(cipher));
  return checker.Run();
}

Result<CheckReport> CheckDatabaseFile(const std::string& path, const std::string& password,
                                      FileSystem* fs) {
  JET_ASSIGN_OR_RETURN(auto file, OpenFileForReading(path, fs));
  return CheckDatabase(std::move(file), password);
}

}  // namespace jet
