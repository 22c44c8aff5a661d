// How far a statement's scan has got, as the engine's provider reports it
// through the connection.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/provider/jet_provider.h"
#include "data/share_dm.h"
#include "jet/database.h"
#include "tests/data/failure_of.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using tarnquill::testing::Table;
using tarnquill::testing::TextColumn;

TEST(ScanProgressTest, ReportsRowsReadOfTheTableUpToTheLastRow) {
  tarnquill::testing::TempDir dir;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 2500; ++i) rows.push_back({std::string(i % 5 == 0 ? "北京 " : "上海 ")});
  ASSERT_OK_AND_ASSIGN(auto path, tarnquill::testing::MakeFixtureDatabase(
                                      dir.path(), {{Table("T", {TextColumn("City", 20)}), rows}}));

  provider::RegisterJetProvider();
  TShareDataModule dm;
  dm.ADOConnection1.SetConnectionString(BuildConnectionString(path, ""));
  std::vector<std::pair<int64_t, int64_t>> reports;
  dm.ADOConnection1.SetScanProgress(
      [&](int64_t done, int64_t total) { reports.emplace_back(done, total); });

  // Filtered: the scan still reads every row of the table.
  TADOQuery& q = dm.ADOQueryTemp;
  q.SQL().Add("Select * From T Where InStr(City,'北京')");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 500);
  EXPECT_EQ(reports,
            (std::vector<std::pair<int64_t, int64_t>>{{1024, 2500}, {2048, 2500}, {2500, 2500}}));

  // Unhooked: nothing more is heard.
  dm.ADOConnection1.SetScanProgress(nullptr);
  q.Close();
  q.Open();
  EXPECT_EQ(reports.size(), 3u);
}

// A filter over a large table is read by two readers side by side: the rows
// still come in storage order, the progress still climbs to the last row,
// and on a damaged file the failure is the one a single scan meets first.
TEST(ScanProgressTest, LargeFiltersReadSideBySideAsOneScan) {
  tarnquill::testing::TempDir dir;
  constexpr int kRows = 60000;
  std::vector<jet::create::Row> rows;
  // Some rows hold the dotted capital I, which folds into ASCII: matching
  // (BUİLDING) and not, they are searched as decoded text.
  const char* const kinds[] = {"上海 Room ", "北京 Building ", "北京 BUİLDING ", "上海 İ Room "};
  for (int i = 0; i < kRows; ++i) {
    const int kind = i % 7 == 0 ? 1 + (i % 5 == 0) : 3 * (i % 11 == 0);
    rows.push_back({int32_t{i}, std::string(kinds[kind]) + std::to_string(i)});
  }
  ASSERT_OK_AND_ASSIGN(
      auto path,
      tarnquill::testing::MakeFixtureDatabase(
          dir.path(), {{Table("T", {tarnquill::testing::Column("N", jet::ColumnType::kLong),
                                    TextColumn("City", 40)}),
                        rows}}));
  tarnquill::testing::ExpectOracleAccepts(path);

  provider::RegisterJetProvider();
  std::vector<int64_t> expected;
  for (int i = 0; i < kRows; i += 7) expected.push_back(i);
  auto listed = [&](std::vector<std::pair<int64_t, int64_t>>* reports) {
    TShareDataModule dm;
    dm.ADOConnection1.SetConnectionString(BuildConnectionString(path, ""));
    dm.ADOConnection1.SetScanProgress(
        [&](int64_t done, int64_t total) { reports->emplace_back(done, total); });
    TADOQuery& q = dm.ADOQueryTemp;
    q.SQL().Add("Select * From T Where InStr(City,'building')");
    q.Open();
    std::vector<int64_t> n;
    for (q.First(); !q.Eof(); q.Next()) n.push_back(std::stoll(q.FieldByName("N").TextValue()));
    return n;
  };
  std::vector<std::pair<int64_t, int64_t>> reports;
  EXPECT_EQ(listed(&reports), expected);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back(), std::make_pair(int64_t{kRows}, int64_t{kRows}));
  for (size_t i = 1; i < reports.size(); ++i) EXPECT_LT(reports[i - 1].first, reports[i].first);

  // Damage a page of each reader's share, the second reader's first in
  // storage order: the first of them named is the one a single scan meets.
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto table, db->FindTable("T"));
  std::vector<uint8_t> file = tarnquill::testing::ReadFileBytes(path);
  std::vector<uint32_t> pages;  // the table's data pages
  for (uint32_t p = 0; size_t{p + 1} * 4096 <= file.size(); ++p) {
    const uint8_t* page = file.data() + size_t{p} * 4096;
    const uint32_t owner = page[4] | page[5] << 8 | page[6] << 16 | uint32_t{page[7]} << 24;
    if (page[0] == 0x01 && owner == table.definition_page) pages.push_back(p);
  }
  ASSERT_GT(pages.size(), 2 * jet::kScanRunPages + 2) << "the table spans too few runs";
  for (size_t at : {2 * jet::kScanRunPages + 1, jet::kScanRunPages + 1}) {
    file[size_t{pages[at]} * 4096 + 0x0C] = 0xFF;  // the row count
    file[size_t{pages[at]} * 4096 + 0x0D] = 0x7F;
  }
  ASSERT_TRUE(tarnquill::testing::WriteFile(path, file));
  ASSERT_OK_AND_ASSIGN(auto damaged, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto cursor, damaged->Scan(table));
  jet::Result<bool> more = true;
  while (more.ok() && *more) more = cursor->Next();
  ASSERT_FALSE(more.ok());
  const std::string first = more.status().message();
  EXPECT_NE(first.find(std::to_string(pages[jet::kScanRunPages + 1])), std::string::npos) << first;
  const std::string failure = FailureOf<std::exception>([&] { listed(&reports); });
  EXPECT_NE(failure.find(first), std::string::npos) << failure;
}

}  // namespace
}  // namespace data
