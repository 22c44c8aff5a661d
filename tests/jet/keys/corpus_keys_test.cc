// Encodes the row values behind every index entry of the corpus files and
// compares the result with the key bytes Access stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "corpus_index_reader.h"
#include "jet/keys/index_key.h"

namespace jet::keys {
namespace {

namespace fs = std::filesystem;

std::string Hex(const Bytes& b) {
  static const char* kDigits = "0123456789abcdef";
  std::string s;
  for (uint8_t x : b) {
    s += kDigits[x >> 4];
    s += kDigits[x & 15];
    s += ' ';
  }
  return s;
}

struct Tally {
  size_t matched = 0;
  size_t mismatched = 0;
  std::map<std::string, size_t> skipped;         // reason -> entries
  std::map<ColumnType, size_t> matched_by_type;  // per indexed column type
  std::map<std::string, size_t> matched_by_order;
};

void CheckFile(const fs::path& path, Tally* tally) {
  testing::CorpusFile file;
  std::string why;
  if (!file.Load(path.string(), &why)) {
    tally->skipped["file: " + why] += 1;
    return;
  }
  for (const auto& table : file.tables()) {
    for (const auto& index : table.indexes) {
      std::vector<testing::LeafEntry> entries;
      if (!file.ReadLeafEntries(index, &entries, &why)) {
        ADD_FAILURE() << path << " table page " << table.definition_page << ": " << why;
        continue;
      }
      std::vector<size_t> cols;
      SortOrder order =
          file.version() == JetVersion::kJet3 ? SortOrder{1033, 0, 1252} : GeneralLegacyOrder();
      for (auto [c, asc] : index.columns) {
        cols.push_back(c);
        const auto& col = table.columns[c];
        if (col.type == ColumnType::kText || col.type == ColumnType::kMemo) order = col.sort_order;
      }
      for (const auto& entry : entries) {
        std::vector<Value> values;
        if (!file.ReadValues(table, entry.page, entry.row, cols, &values, &why)) {
          tally->skipped[path.filename().string() + ": " + why] += 1;
          continue;
        }
        std::vector<KeyPart> parts;
        for (size_t i = 0; i < cols.size(); ++i) {
          const auto& col = table.columns[cols[i]];
          parts.push_back(KeyPart{col.type, values[i], index.columns[i].second, col.scale});
        }
        auto key = EncodeIndexKey(parts, order, file.version());
        if (!key.ok()) {
          tally->skipped[key.status().ToString()] += 1;
          continue;
        }
        if (*key == entry.key) {
          ++tally->matched;
          for (auto c : cols) ++tally->matched_by_type[table.columns[c].type];
          ++tally->matched_by_order[DescribeSortOrder(order, file.version())];
        } else {
          ++tally->mismatched;
          if (tally->mismatched <= 20) {
            std::string cols_desc;
            for (auto c : cols) {
              cols_desc += table.columns[c].name + "(type " +
                           std::to_string(static_cast<int>(table.columns[c].type)) + ") ";
            }
            ADD_FAILURE() << path.filename() << " table page " << table.definition_page
                          << " columns " << cols_desc << "\n  access: " << Hex(entry.key)
                          << "\n  ours:   " << Hex(*key);
          }
        }
      }
    }
  }
}

TEST(CorpusKeys, EncodingReproducesEveryStoredKey) {
  const fs::path corpus = TARNQUILL_CORPUS;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " not found";
  Tally tally;
  for (const auto& item : fs::recursive_directory_iterator(corpus)) {
    if (item.path().extension() == ".mdb") CheckFile(item.path(), &tally);
  }
  for (const auto& [why, n] : tally.skipped) std::printf("skipped %zu: %s\n", n, why.c_str());
  for (const auto& [type, n] : tally.matched_by_type) {
    std::printf("matched column type %d: %zu\n", static_cast<int>(type), n);
  }
  for (const auto& [order, n] : tally.matched_by_order) {
    std::printf("matched order %s: %zu\n", order.c_str(), n);
  }
  std::printf("matched %zu, mismatched %zu\n", tally.matched, tally.mismatched);
  EXPECT_EQ(tally.mismatched, 0u);
  // The corpus holds thousands of indexed rows in both the Access 97 and the
  // Access 2000 General orders; a reader fault that skips them must not pass.
  size_t skipped = 0;
  for (const auto& [why, n] : tally.skipped) skipped += n;
  EXPECT_GT(tally.matched, 10000u);
  EXPECT_LT(skipped * 100, tally.matched) << "more than 1% of entries could not be checked";
  EXPECT_GT(tally.matched_by_order["General (id 1033, code page 1252)"], 1000u);
  EXPECT_GT(tally.matched_by_order["General (id 1033, version 0)"], 1000u);
  EXPECT_GT(tally.matched_by_type[ColumnType::kText], 1000u);
}

}  // namespace
}  // namespace jet::keys
