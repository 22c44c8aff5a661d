// tarnquill-cli create-sample: the demonstration database the README starts on.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/commands.h"
#include "jet/database.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using namespace tarnquill::testing;

TEST(CreateSample, WritesCustomersAndOrdersMadeForTheReplaceDemo) {
  TempDir dir;
  std::string path = dir.File("sample.mdb");
  std::ostringstream out, err;
  ASSERT_EQ(cli::Dispatch({"create-sample", path}, out, err), cli::kExitOk) << err.str();
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].name, "客户");
  EXPECT_EQ(tables[1].name, "Orders");
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("客户"));
  std::vector<std::string> names;
  for (const auto& c : def.columns) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"编号", "姓名", "地址", "电话", "备注", "金额", "日期",
                                             "已付款"}));
  EXPECT_GE(def.row_count, 200u);
  // Addresses the demo filters on: the Chinese name and every letter case of
  // the English one, plus NULLs.
  ASSERT_OK_AND_ASSIGN(auto scan, db->Scan(def));
  int chinese = 0, lower = 0, upper = 0, mixed = 0, nulls = 0, rows = 0;
  for (;;) {
    ASSERT_OK_AND_ASSIGN(auto more, scan->Next());
    if (!more) break;
    ++rows;
    ASSERT_OK_AND_ASSIGN(auto v, scan->Get(2));
    auto s = std::get_if<std::string>(&v);
    if (!s) {
      ++nulls;
      continue;
    }
    chinese += s->find("北京") != std::string::npos;
    lower += s->find("beijing") != std::string::npos;
    upper += s->find("BEIJING") != std::string::npos;
    mixed += s->find("Beijing") != std::string::npos;
  }
  EXPECT_EQ(static_cast<uint32_t>(rows), def.row_count);
  EXPECT_GT(chinese, 10);
  EXPECT_GT(lower, 0);
  EXPECT_GT(upper, 0);
  EXPECT_GT(mixed, 0);
  EXPECT_GT(nulls, 0);
  ASSERT_OK_AND_ASSIGN(auto orders, db->FindTable("Orders"));
  EXPECT_GE(orders.row_count, 2000u);

  // It never overwrites an existing file.
  std::ostringstream out2, err2;
  EXPECT_EQ(cli::Dispatch({"create-sample", path}, out2, err2), cli::kExitFailure);
  EXPECT_NE(err2.str().find("already exists"), std::string::npos);
  // Another implementation walks every index, finds each row by its key and
  // reads every value as we do.
  ExpectReadersAgree(path);

  if (!HaveMdbTools()) GTEST_SKIP() << "mdbtools not installed";
  std::string csv = RunCommand("mdb-export " + Quote(path) + " 客户");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n') - 1, static_cast<long>(def.row_count) + 0)
      << "memo values hold no line breaks, so every row is one line";
}

}  // namespace
