// Completions in the table and field boxes: what is offered, when it is
// listed again, and that the boxes stay free text.
#include "app/box_completions.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTest>

#include "app/form_data.h"
#include "data/table_names.h"
#include "tests/app/fake_ui_services.h"
#include "tests/support/fixture_db.h"

namespace app {
namespace {

using testing::FormFixture;

// What the completer offers for `prefix`, in order.
QStringList Offered(QCompleter& completer, const QString& prefix) {
  completer.setCompletionPrefix(prefix);
  QStringList out;
  for (int i = 0; completer.setCurrentRow(i); ++i) out << completer.currentCompletion();
  return out;
}

void FocusIn(QWidget& box) {
  QFocusEvent event(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(&box, &event);
}

class BoxCompletionsTest : public ::testing::Test {
 protected:
  BoxCompletionsTest()
      : completions(
            f.form,
            [this](const std::string& file, const std::string& password) {
              listings.push_back(file + "|" + password);
              if (fail_tables) throw std::runtime_error("unreadable");
              return tables;
            },
            [this] { return fields; }) {}

  FormFixture f;
  TFormMain& w = f.form;
  std::vector<std::string> tables{"客户", "Orders", "Order Details"};
  std::vector<std::string> fields;
  std::vector<std::string> listings;
  bool fail_tables = false;
  TBoxCompletions completions;
};

TEST_F(BoxCompletionsTest, TableBoxListsTheFileTablesWhenItGetsTheFocus) {
  w.Edit1.setText("/data/a.mdb");
  w.Edit2.setText("pw");
  EXPECT_TRUE(listings.empty()) << "nothing is opened while the path is typed";
  FocusIn(w.Edit3);
  EXPECT_EQ(listings, std::vector<std::string>{"/data/a.mdb|pw"});
  EXPECT_EQ(completions.TableNames(), (QStringList{"客户", "Orders", "Order Details"}));
  EXPECT_EQ(Offered(completions.TableCompleter(), "order"),
            (QStringList{"Orders", "Order Details"}));
  EXPECT_EQ(Offered(completions.TableCompleter(), "details"), QStringList{"Order Details"});

  // The same file and password: not listed again.
  FocusIn(w.Edit3);
  EXPECT_EQ(listings.size(), 1u);
  // Another password, a chosen file, or an Open: listed again on the next focus.
  w.Edit2.setText("other");
  FocusIn(w.Edit3);
  f.ui.answers.push_back(QString("/data/b.mdb"));
  w.Button1.click();
  FocusIn(w.Edit3);
  w.Edit3.setText("客户");
  w.Button2.click();
  FocusIn(w.Edit3);
  EXPECT_EQ(listings, (std::vector<std::string>{"/data/a.mdb|pw", "/data/a.mdb|other",
                                                "/data/b.mdb|other", "/data/b.mdb|other"}));
}

TEST_F(BoxCompletionsTest, NoFileOrAFailedListingOffersNothingAndShowsNoBox) {
  FocusIn(w.Edit3);
  EXPECT_TRUE(listings.empty()) << "no file: nothing to open";
  w.Edit1.setText("/data/a.mdb");
  FocusIn(w.Edit3);
  ASSERT_EQ(completions.TableNames().size(), 3);
  fail_tables = true;
  w.Edit1.setText("/data/broken.mdb");
  FocusIn(w.Edit3);
  EXPECT_TRUE(completions.TableNames().isEmpty()) << "the old file's names are gone";
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST_F(BoxCompletionsTest, FieldBoxFollowsTheViewAfterEachCommand) {
  w.show();
  fields = {"编号", "姓名", "地址"};
  testing::OpenTable(w, "/data/a.mdb", "客户");
  EXPECT_EQ(completions.FieldNames(), (QStringList{"编号", "姓名", "地址"}));
  fields = {"OrderID", "Product"};
  w.Button3.click();
  EXPECT_EQ(completions.FieldNames(), (QStringList{"OrderID", "Product"}));
  // A failed view leaves no fields to offer (the error box has been shown).
  fields.clear();
  f.database.fail_view = "ADOQuery1: Cannot perform this operation on a closed dataset";
  w.Button4.click();
  EXPECT_TRUE(completions.FieldNames().isEmpty());
  EXPECT_EQ(f.ui.boxes.back().icon, MessageIcon::kError);
}

TEST_F(BoxCompletionsTest, TypingStaysFree) {
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.Edit1.setText("/data/a.mdb");
  w.Edit3.setFocus();
  QTest::keyClicks(&w.Edit3, "Ord");
  EXPECT_EQ(w.Edit3.text(), "Ord") << "a completion is offered, not put in the box";
  EXPECT_TRUE(completions.TableCompleter().popup()->isVisible());
  QTest::keyClicks(QApplication::focusWidget(), "x 1");
  EXPECT_EQ(w.Edit3.text(), "Ordx 1") << "a name that is not offered can still be typed";
  w.Edit3.clear();
  // Chinese text arrives as one key event carrying it, as from an input method.
  QKeyEvent chinese(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("客"));
  QApplication::sendEvent(&w.Edit3, &chinese);
  EXPECT_EQ(w.Edit3.text(), QString::fromUtf8("客"));
}

TEST(BoxCompletionsRealFileTest, OffersTheTablesAndFieldsOfARealDatabase) {
  tarnquill::testing::TempDir dir;
  using tarnquill::testing::Table;
  using tarnquill::testing::TextColumn;
  ASSERT_OK_AND_ASSIGN(auto path,
                       tarnquill::testing::MakeFixtureDatabase(
                           dir.path(),
                           {{Table("客户", {TextColumn("姓名", 50), TextColumn("地址", 50)}),
                             {{std::string("张三"), std::string("北京")}}},
                            {Table("Orders", {TextColumn("Product", 50)}), {}}},
                           "pw"));
  testing::DataFormFixture<> f;
  TFormMain& form = f.form;
  TBoxCompletions completions(form, data::ListTableNames, [&] { return f.database.FieldNames(); });

  form.Edit1.setText(QString::fromStdString(path));
  form.Edit2.setText("pw");
  FocusIn(form.Edit3);
  EXPECT_EQ(completions.TableNames(), (QStringList{"客户", "Orders"}));
  testing::OpenTable(form, path, "客户");
  ASSERT_TRUE(f.ui.boxes.empty()) << f.ui.boxes.front().text.toStdString();
  EXPECT_EQ(completions.FieldNames(), (QStringList{"姓名", "地址"}));
  // The file is open for writing now; listing its tables again still works.
  FocusIn(form.Edit3);
  EXPECT_EQ(completions.TableNames(), (QStringList{"客户", "Orders"}));
}

}  // namespace
}  // namespace app
