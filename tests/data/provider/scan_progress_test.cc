// How far a statement's scan has got, as the engine's provider reports it
// through the connection.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/provider/jet_provider.h"
#include "data/share_dm.h"
#include "tests/support/fixture_db.h"

namespace data {
namespace {

using tarnquill::testing::Table;
using tarnquill::testing::TextColumn;

TEST(ScanProgressTest, ReportsRowsReadOfTheTableUpToTheLastRow) {
  tarnquill::testing::TempDir dir;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 2500; ++i) rows.push_back({std::string(i % 5 == 0 ? "北京 " : "上海 ")});
  auto path = tarnquill::testing::MakeFixtureDatabase(
      dir.path(), {{Table("T", {TextColumn("City", 20)}), rows}});
  ASSERT_TRUE(path.ok()) << path.status().ToString();

  provider::RegisterJetProvider();
  TShareDataModule dm;
  dm.ADOConnection1.SetConnectionString(BuildConnectionString(*path, ""));
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

}  // namespace
}  // namespace data
