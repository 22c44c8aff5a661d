#include "data/table_names.h"

#include <gtest/gtest.h>

#include <fstream>

#include "data/provider/jet_provider.h"
#include "tests/support/fixture_db.h"

namespace data {
namespace {

using tarnquill::testing::MakeFixtureDatabase;
using tarnquill::testing::Table;
using tarnquill::testing::TempDir;
using tarnquill::testing::TextColumn;

TEST(TableNamesTest, ListsTheUserTablesInCatalogOrderOrNoneWhenUnreadable) {
  provider::RegisterJetProvider();
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path,
                       MakeFixtureDatabase(dir.path(),
                                           {{Table("客户", {TextColumn("姓名", 50)}), {}},
                                            {Table("Orders", {TextColumn("Product", 50)}), {}}},
                                           "secret"));
  EXPECT_EQ(ListTableNames(path, "secret"), (std::vector<std::string>{"客户", "Orders"}));

  // Anything unreadable gives no names.
  std::ofstream(dir.File("text.mdb")) << "not a database at all";
  std::ofstream(dir.File("short.mdb")) << "";
  const struct {
    std::string path, password;
  } cases[] = {
      {path, "wrong"},
      {path, ""},
      {dir.File("none.mdb"), ""},
      {dir.File("text.mdb"), ""},
      {dir.File("short.mdb"), ""},
      {dir.path(), ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(ListTableNames(c.path, c.password).empty()) << c.path << " / " << c.password;
  }
}

}  // namespace
}  // namespace data
