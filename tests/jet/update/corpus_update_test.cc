// Updates text and memo columns of every table of the real Access files
// (in memory), then reads everything back: changed cells hold their new
// values, every other cell reads as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "update_test_util.h"

namespace jet::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(TARNQUILL_CORPUS, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->path().extension() == ".mdb") out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string PasswordFor(const std::string& path) {
  return path.find("with-password") != std::string::npos ? "password" : "";
}

// Cuts UTF-8 `s` to at most `n` characters.
std::string Cut(const std::string& s, size_t n) {
  size_t chars = 0, i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (chars == n) break;
    i += len;
    ++chars;
  }
  return s.substr(0, i);
}

std::string ValueToDebugString(const Value& v) {
  if (IsNull(v)) return "NULL";
  if (std::holds_alternative<std::string>(v)) return "'" + std::get<std::string>(v).substr(0, 80) + "'";
  return "<value of kind " + std::to_string(v.index()) + ">";
}

std::string Repeat(const std::string& piece, size_t n) {
  std::string s;
  while (s.size() < n) s += piece;
  return s;
}

// The value for update number `k` of a cell holding `old`.
Value NextValue(const ColumnDef& c, const Value& old, int k) {
  const std::string before = std::holds_alternative<std::string>(old) ? std::get<std::string>(old) : "";
  const size_t limit = c.type == ColumnType::kText ? c.max_chars : 100000;
  switch (k % 7) {
    case 0: return Value(Cut(before, before.size() / 2));
    case 1: return Value(Cut(before + "-longer扩展", limit));
    case 2: return Value(std::string());
    case 3: return Value();
    case 4: return Value(Cut("中文测试：北京市朝阳区", limit));
    case 5:
      return Value(c.type == ColumnType::kText ? Cut(Repeat("长abc", limit * 3), limit)
                                               : Repeat("很长的备注 long memo text ", 9000));
    default:
      return Value(c.type == ColumnType::kText ? Cut("Ünïcödé " + before, limit)
                                               : Repeat("page sized ", 300));
  }
}

TEST(CorpusUpdateTest, TextAndMemoUpdatesReadBackExactly) {
  auto files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TARNQUILL_CORPUS;
  int updated = 0, refused = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    auto img = WritableImage::Load(ReadFileBytes(path), path, PasswordFor(path));
    ASSERT_TRUE(img);
    auto db = img->Reopen();
    ASSERT_TRUE(db);
    auto tables = db->ListTables();
    ASSERT_TRUE(tables.ok()) << tables.status().ToString();
    for (const TableInfo& info : *tables) {
      if (info.linked) continue;
      SCOPED_TRACE(info.name);
      auto table = db->FindTable(info.name);
      ASSERT_TRUE(table.ok()) << table.status().ToString();
      std::vector<RowId> ids;
      auto model = AllRows(*db, *table, &ids);
      int k = 0;
      for (size_t col = 0; col < table->columns.size(); ++col) {
        const ColumnDef& c = table->columns[col];
        if (c.type != ColumnType::kText && c.type != ColumnType::kMemo) continue;
        for (size_t r = 0; r < ids.size() && r < 14; ++r, ++k) {
          Value v = NextValue(c, model[r][col], k + static_cast<int>(col));
          Status s = img->session->UpdateRow(*table, ids[r], {{col, v}});
          if (s.ok()) {
            model[r][col] = v;
            ++updated;
          } else {
            // Refusals are fine when they are the value's fault, never the file's.
            EXPECT_TRUE(s.code() == Status::Code::kInvalidArgument ||
                        s.code() == Status::Code::kConstraint ||
                        s.code() == Status::Code::kNotSupported)
                << s.ToString();
            EXPECT_FALSE(img->session->sink_failed());
            ++refused;
            if (getenv("SHOW_REFUSALS")) std::cout << s.ToString() << "\n";
          }
        }
      }
      auto after_db = img->Reopen();
      ASSERT_TRUE(after_db);
      std::vector<RowId> after_ids;
      auto after = AllRows(*after_db, *table, &after_ids);
      ASSERT_EQ(after_ids.size(), ids.size());
      for (size_t r = 0; r < ids.size(); ++r) {
        EXPECT_EQ(after_ids[r], ids[r]) << "row " << r << " changed its place in the scan";
        for (size_t col = 0; col < table->columns.size(); ++col) {
          const ColumnDef& c = table->columns[col];
          if (c.fixed && c.type == ColumnType::kText && !IsNull(model[r][col])) {
            // Fixed-length text reads back padded with spaces.
            std::string got = std::get<std::string>(after[r][col]);
            std::string want = std::get<std::string>(model[r][col]);
            while (!got.empty() && (got.back() == ' ' || got.back() == '\0')) got.pop_back();
            while (!want.empty() && (want.back() == ' ' || want.back() == '\0')) want.pop_back();
            EXPECT_EQ(got, want) << "row " << r << " column " << c.name;
            continue;
          }
          EXPECT_TRUE(after[r][col] == model[r][col])
              << "row " << r << " column " << table->columns[col].name << ": read "
              << ValueToDebugString(after[r][col]) << ", expected "
              << ValueToDebugString(model[r][col]);
        }
      }
    }
  }
  EXPECT_GT(updated, 100);
  std::cout << "updated " << updated << " cells, refused " << refused << "\n";
}

}  // namespace
}  // namespace jet::testing
