// The window with its real database steps: Open, Refresh and Modify driven
// through the buttons over the in-memory provider, checking the grid, the
// boxes in order, the enabled states and the profile.
#include "app/form_data.h"

#include <gtest/gtest.h>

#include "data/profile/ini_value.h"
#include "tests/app/fake_ui_services.h"
#include "tests/data/core/memory_fixture.h"

namespace app {
namespace {

using provider::Variant;

class FormDataTest : public ::testing::Test, public testing::DataFormFixture<> {
 protected:
  FormDataTest() {
    db = scope.Add("/data/shop.mdb", "pw");
    provider::MemoryTable& t =
        db->AddTable("Goods", {provider::MemoryColumn("ID", provider::adInteger),
                               provider::MemoryColumn("Name", provider::adVarWChar, 50)});
    for (int i = 1; i <= 37; ++i) {
      std::string name = i % 3 == 0 ? "Apple" : i % 3 == 1 ? "苹果APPLE汁" : "pear";
      t.rows.push_back({Variant(int64_t{i}), Variant(name)});
    }
  }

  std::string Profile(const char* key) {
    return data::ReadIniValue("Tarnquill", key, "<missing>",
                              (dir.path() + "/Tarnquill.ini").toStdString());
  }
  void OpenShop() {
    testing::OpenTable(form, "/data/shop.mdb", "Goods", "pw");
    ASSERT_EQ(Boxes(), std::vector<std::string>{});
  }

  data::testing::MemoryCatalogScope scope;
  std::shared_ptr<provider::MemoryDatabase> db;
};

// A missing table shows the messages in order and changes nothing; then the
// table opens, and the inputs are saved. (A file that does not open is the
// file tests' and the handler tests' case.)
TEST_F(FormDataTest, OpenOfAMissingTableShowsTheMessagesThenTheTableOpens) {
  form.FormShow();
  EXPECT_FALSE(form.Button3.isEnabled());
  testing::OpenTable(form, "/data/shop.mdb", "Nothing", "pw");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "数据库打开失败",
                         "!ADOQuery1: Cannot perform this operation on a closed dataset."}));
  EXPECT_FALSE(form.Button3.isEnabled());
  EXPECT_FALSE(form.Button4.isEnabled());
  EXPECT_EQ(Profile("File"), "<missing>");
  EXPECT_EQ(database.View().DataGrid1.Columns().Count(), 1);
  OpenShop();
  EXPECT_EQ(Footer(), "37条");
  EXPECT_EQ(database.View().DataGrid1.Columns().Count(), 2);
  EXPECT_TRUE(form.Button3.isEnabled());
  EXPECT_TRUE(form.Button4.isEnabled());
  EXPECT_EQ(Profile("File"), "/data/shop.mdb");
  EXPECT_EQ(Profile("Key"), "pw");
  EXPECT_EQ(Profile("Table"), "Goods");
  EXPECT_EQ(Profile("Field"), "<missing>");
}

TEST_F(FormDataTest, ModifyRewritesTheListedRowsAndRebuildsTheView) {
  OpenShop();
  testing::TypeSearch(form, "Name", "apple");
  form.Button3.click();
  form.Edit6.setText("Pear");
  form.Button4.click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  EXPECT_EQ(Profile("NewValue"), "Pear");
  EXPECT_EQ(db->rows_written, 25);
  EXPECT_EQ(db->tables[0].rows[0][1], Variant("苹果Pear汁"));
  EXPECT_EQ(db->tables[0].rows[1][1], Variant("pear"));
  EXPECT_EQ(db->tables[0].rows[2][1], Variant("Pear"));
  EXPECT_EQ(Footer(), "0条");  // no row holds "apple" any more
}

TEST_F(FormDataTest, ModifyUsesTheLastViewsRowsWithTheBoxesAsTheyAreNow) {
  OpenShop();  // the whole table, no field
  testing::TypeSearch(form, "Name", "pear", "Plum");
  form.Button4.click();  // without a Refresh: all 37 rows are looked at
  EXPECT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  EXPECT_EQ(db->rows_written, 12);
  EXPECT_EQ(db->tables[0].rows[1][1], Variant("Plum"));
  EXPECT_EQ(Footer(), "0条");  // the rebuilt view uses the boxes: no "pear" left
}

TEST_F(FormDataTest, RefreshAndModifyFailuresShowTheirMessagesInOrder) {
  OpenShop();
  testing::TypeSearch(form, "Colour", "red");
  form.Button3.click();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "数据库打开失败",
                         "!ADOQuery1: Cannot perform this operation on a closed dataset."}));
  EXPECT_EQ(Profile("Field"), "Colour");  // written before the view was rebuilt
  // Modify runs the failed statement again.
  form.Button4.click();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "数据库打开失败",
                         "!ADOQueryTemp: Cannot perform this operation on a closed dataset."}));
  // A field that does not exist, over a statement that runs.
  form.Edit4.setText("");
  form.Button3.click();
  form.Edit4.setText("Colour");
  form.Button4.click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"!ADOQueryTemp: Field 'Colour' not found."});
  EXPECT_EQ(db->rows_written, 0);
}

TEST_F(FormDataTest, FailedRowKeepsTheRowsBeforeAndSkipsTheDoneMessage) {
  db->tables[0].rows.resize(2);  // "苹果APPLE汁" and "pear"
  OpenShop();
  testing::TypeSearch(form, "Name", "a", "o");
  // The first row is stored; the second fails.
  database.ShareDataModule()->ADOQueryTemp.AfterPost = [this](data::TDataSet&) {
    db->fail_next_write = "Record is too large.";
  };
  form.Button4.click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"!Record is too large."});
  EXPECT_EQ(db->tables[0].rows[0][1], Variant("苹果oPPLE汁"));
  EXPECT_EQ(db->rows_written, 1);
  EXPECT_EQ(db->tables[0].rows[1][1], Variant("pear"));
  EXPECT_EQ(Footer(), "2条");  // the view was not rebuilt
}

}  // namespace
}  // namespace app
