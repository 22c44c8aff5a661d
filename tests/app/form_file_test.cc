// The window against real Access files built by our engine: Open, Refresh
// and Modify through the buttons, the file read back through the engine, its
// integrity check and, when installed, mdb-export.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/form_data.h"
#include "jet/database.h"
#include "tests/app/fake_ui_services.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace app {
namespace {

namespace tq = tarnquill::testing;

// Row i (1 based) of the fixture's 名称 column; every fourth is NULL.
jet::Value NameOf(int i) {
  switch (i % 4) {
    case 0:
      return std::string("Apple派");
    case 1:
      return std::string("苹果APPLE");
    case 2:
      return std::string("梨");
    default:
      return std::monostate{};
  }
}

class FormFileTest : public ::testing::Test, public testing::DataFormFixture<> {
 protected:
  void SetUp() override { Make(tmp.path(), "secret"); }
  // The fixture file, 37 rows keyed by 编号, in `dir` under `password`.
  void Make(const std::string& dir, const char* password) {
    std::vector<jet::create::Row> rows;
    for (int i = 1; i <= 37; ++i) rows.push_back({int32_t{i}, NameOf(i)});
    ASSERT_OK_AND_ASSIGN(
        path,
        tq::MakeFixtureDatabase(
            dir,
            {{tq::Table("客户",
                        {tq::Column("编号", jet::ColumnType::kLong), tq::TextColumn("名称", 50)},
                        {tq::PrimaryKey("编号")}),
              rows}},
            password));
  }

  void Open(const char* password = "secret") { testing::OpenTable(form, path, "客户", password); }
  // The 名称 column as the engine reads it back, in row order.
  std::vector<jet::Value> ReadBack() {
    auto rows = tq::ReadTable(path, "客户", "secret");
    std::sort(rows.begin(), rows.end(),
              [](auto& a, auto& b) { return std::get<int32_t>(a[0]) < std::get<int32_t>(b[0]); });
    std::vector<jet::Value> out;
    for (auto& r : rows) out.push_back(r[1]);
    return out;
  }

  tq::TempDir tmp;
  std::string path;
};

TEST_F(FormFileTest, OpenRefreshAndModifyAFile) {
  form.FormShow();
  Open();
  ASSERT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Footer(), "37条");
  EXPECT_EQ(database.View().DataGrid1.Columns()[1].Title().Caption(), "名称");
  EXPECT_TRUE(form.Button4.isEnabled());
  Open();  // again: the file is let go of and opened anew
  ASSERT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Footer(), "37条");

  testing::TypeSearch(form, "名称", "apple");
  form.Button3.click();
  EXPECT_EQ(Footer(), "19条");  // "Apple派" and "苹果APPLE", ignoring case
  form.Edit5.setText(QString::fromUtf8("苹果"));
  form.Button3.click();
  EXPECT_EQ(Footer(), "10条");
  form.Edit5.setText("aPPle");
  form.Button3.click();

  form.Edit6.setText("Pear");
  form.Button4.click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  EXPECT_EQ(Footer(), "0条");
  // Opening again after Modify, with the scratch query still open.
  Open();
  ASSERT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(Footer(), "0条");

  std::vector<jet::Value> names = ReadBack();
  ASSERT_EQ(names.size(), 37u);
  for (int i = 1; i <= 37; ++i) {
    jet::Value expected = NameOf(i);
    if (i % 4 == 0) expected = std::string("Pear派");
    if (i % 4 == 1) expected = std::string("苹果Pear");
    EXPECT_EQ(names[i - 1], expected) << "row " << i;
  }
  tq::ExpectSoundFile(path, "secret");
}

TEST_F(FormFileTest, OtherToolsReadTheRewrittenFile) {
  if (!tq::HaveMdbTools()) GTEST_SKIP() << "mdb-export is not installed";
  // mdb-export cannot read files with a database password: build one without.
  tq::TempDir plain;
  ASSERT_NO_FATAL_FAILURE(Make(plain.path(), ""));
  Open("");
  testing::TypeSearch(form, "名称", "APPLE", "香蕉");
  form.Button3.click();
  form.Button4.click();
  ASSERT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  int status = 0;
  const std::string csv =
      tq::RunCommand("mdb-export " + tq::Quote(path) + " " + tq::Quote("客户"), &status);
  ASSERT_EQ(status, 0);
  size_t bananas = 0;
  for (size_t at = csv.find("香蕉"); at != std::string::npos; at = csv.find("香蕉", at + 1)) {
    ++bananas;
  }
  EXPECT_EQ(bananas, 19u) << csv;
  EXPECT_EQ(csv.find("pple"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"苹果香蕉\""), std::string::npos) << csv;
}

TEST_F(FormFileTest, FailuresShowTheirMessagesAndWriteNothing) {
  form.FormShow();
  Open("wrong");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"!Not a valid password."});
  EXPECT_FALSE(form.Button3.isEnabled());
  Open();
  ASSERT_EQ(Boxes(), std::vector<std::string>{});
  // An empty search text selects every non-empty value; Modify then finds
  // nothing to change and leaves the NULLs alone.
  testing::TypeSearch(form, "名称", "", "X");
  form.Button3.click();
  EXPECT_EQ(Footer(), "28条");
  form.Button4.click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  std::vector<jet::Value> names = ReadBack();
  ASSERT_EQ(names.size(), 37u);
  for (int i = 1; i <= 37; ++i) EXPECT_EQ(names[i - 1], NameOf(i)) << "row " << i;
  // A number written as text that is not a number.
  testing::TypeSearch(form, "编号", "1", "x");
  form.Button4.click();
  std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, 1), "!");
  EXPECT_NE(boxes[0].find("x"), std::string::npos) << boxes[0];
}

}  // namespace
}  // namespace app
