// Progress of long commands: when it shows, what it says, that it goes
// before the next message, and the window that shows it.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

#include "app/form_data.h"
#include "app/qt_ui_services.h"
#include "tests/app/fake_ui_services.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/support/fixture_db.h"

namespace app {
namespace {

using std::chrono::milliseconds;
using Time = std::chrono::steady_clock::time_point;

// A clock the test moves by hand.
struct FakeClock {
  Time now{};
  TProgressGate::Clock Fn() {
    return [this] { return now; };
  }
  void Advance(int ms) { now += milliseconds(ms); }
};

TEST(ProgressGateTest, ShowsOnlyOnceAStepHasRunHalfASecond) {
  testing::FakeUiServices ui;
  FakeClock clock;
  TProgressGate gate(ui, nullptr, "Tarnquill", clock.Fn());

  // A quick step: nothing at all.
  gate.Begin();
  clock.Advance(499);
  gate.Report(ProgressPhase::kModifying, 4096, 100000);
  gate.End();
  EXPECT_TRUE(ui.events.empty());

  // A slow one: shown from the first report after the threshold, then at
  // most every 100 ms, and always at its last row.
  gate.Begin();
  clock.Advance(500);
  gate.Report(ProgressPhase::kModifying, 4096, 100000);
  clock.Advance(50);
  gate.Report(ProgressPhase::kModifying, 8192, 100000);
  clock.Advance(50);
  gate.Report(ProgressPhase::kModifying, 12288, 100000);
  clock.Advance(1);
  gate.Report(ProgressPhase::kModifying, 100000, 100000);
  EXPECT_TRUE(gate.Shown());
  gate.End();
  ASSERT_EQ(ui.progress.size(), 3u);
  EXPECT_EQ(ui.progress[0].done, 4096);
  EXPECT_EQ(ui.progress[1].done, 12288);
  EXPECT_EQ(ui.progress[2].done, 100000);
  EXPECT_EQ(ui.progress[2].total, 100000);
  EXPECT_EQ(ui.progress[0].caption, "Tarnquill");
  EXPECT_EQ(ui.progress[0].text, ProgressText(ProgressPhase::kModifying, 4096, 100000));
  EXPECT_TRUE(ui.progress[0].text.contains("4096 / 100000")) << ui.progress[0].text.toStdString();
  EXPECT_NE(ProgressText(ProgressPhase::kReading, 4096, 100000), ui.progress[0].text);
  EXPECT_EQ(ui.events, (std::vector<std::string>{"progress", "hide progress"}));

  // The next step starts its own clock.
  gate.Begin();
  gate.Report(ProgressPhase::kReading, 1024, 2048);
  gate.End();
  EXPECT_EQ(ui.progress.size(), 3u);
  EXPECT_FALSE(gate.Shown());
}

// The window's commands over the in-memory provider, with a clock that runs
// a second per look, so every report comes after the threshold.
class CommandProgressTest : public ::testing::Test, public testing::DataFormFixture<> {
 protected:
  CommandProgressTest() { database.SetProgressSink(&gate); }

  FakeClock clock;
  TProgressGate gate{ui, &form, "Tarnquill", [this] {
                       clock.Advance(1000);
                       return clock.now;
                     }};
};

TEST_F(CommandProgressTest, ModifyShowsRowsDoneOfRowsListedAndGoesBeforeItsMessage) {
  data::testing::MemoryCatalogScope scope;
  auto db = scope.Add("/data/big.mdb", "");
  provider::MemoryTable& t =
      db->AddTable("T", {provider::MemoryColumn("Name", provider::adVarWChar, 50)});
  for (int i = 0; i < 5000; ++i) t.rows.push_back({provider::Variant(std::string("abc"))});

  testing::OpenTable(form, "/data/big.mdb", "T");
  ASSERT_TRUE(ui.boxes.empty());
  ui.events.clear();
  testing::TypeSearch(form, "Name", "b", "B");
  form.Button4.click();

  ASSERT_FALSE(ui.progress.empty());
  const ProgressRequest& last = ui.progress.back();
  EXPECT_EQ(last.done, 5000);
  EXPECT_EQ(last.total, 5000);
  EXPECT_EQ(last.text, ProgressText(ProgressPhase::kModifying, 5000, 5000));
  for (const ProgressRequest& p : ui.progress) EXPECT_LE(p.done, p.total);
  // The indication is gone before "修改完毕", and the messages are as ever.
  EXPECT_EQ(ui.events, (std::vector<std::string>{"progress", "hide progress", "box 修改完毕"}));
  EXPECT_EQ(db->Find("T")->rows[4999][0], provider::Variant(std::string("aBc")));
}

TEST_F(CommandProgressTest, OpenOfALargeFileShowsTheRowsReadOfTheTable) {
  tarnquill::testing::TempDir files;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 3000; ++i) rows.push_back({std::string("客户 ") + std::to_string(i)});
  ASSERT_OK_AND_ASSIGN(
      auto path,
      tarnquill::testing::MakeFixtureDatabase(
          files.path(),
          {{tarnquill::testing::Table("Big", {tarnquill::testing::TextColumn("Name", 50)}),
            rows}}));

  testing::OpenTable(form, path, "Big");
  ASSERT_TRUE(ui.boxes.empty()) << ui.boxes[0].text.toStdString();
  ASSERT_GE(ui.progress.size(), 2u);
  EXPECT_EQ(ui.progress.front().done, 1024);
  EXPECT_EQ(ui.progress.front().total, 3000);
  EXPECT_EQ(ui.progress.back().done, 3000);
  EXPECT_EQ(ui.progress.back().text, ProgressText(ProgressPhase::kReading, 3000, 3000));
  EXPECT_EQ(ui.events, (std::vector<std::string>{"progress", "hide progress"}));

  // A failed statement: the progress goes before "数据库打开失败" and the
  // error box.
  ui.events.clear();
  form.Edit4.setText("Nope");
  form.Button3.click();
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.events.back(), "box " + ui.boxes.back().text.toStdString());
  EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "progress"),
            std::count(ui.events.begin(), ui.events.end(), "hide progress"));
}

TEST(ProgressWindowTest, ShowsTextAndBarOverTheWindowAndGoesForAMessageBox) {
  QWidget main_window;
  main_window.resize(688, 467);
  main_window.show();
  QtUiServices ui;
  ui.ShowProgress({"Tarnquill", "正在修改", 25000, 100000}, &main_window);
  TProgressWindow* w = ui.ProgressWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Tarnquill");
  EXPECT_EQ(w->Text().text(), QString::fromUtf8("正在修改"));
  EXPECT_EQ(w->Bar().value(), w->Bar().maximum() / 4);
  ui.ShowProgress({"Tarnquill", "正在修改", 100000, 100000}, &main_window);
  EXPECT_EQ(ui.ProgressWindow(), w) << "updated in place";
  EXPECT_EQ(w->Bar().value(), w->Bar().maximum());
  ui.HideProgress();
  EXPECT_EQ(ui.ProgressWindow(), nullptr);
  ui.HideProgress();  // none shown: nothing happens

  // A message box takes the progress window away before it shows.
  ui.ShowProgress({"Tarnquill", "正在读取", 1, 2}, &main_window);
  bool box_seen = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box_seen = true;
    EXPECT_EQ(ui.ProgressWindow(), nullptr);
    box->button(QMessageBox::Ok)->click();
  });
  ui.ShowMessageBox({"Tarnquill", QString::fromUtf8("修改完毕"), MessageIcon::kNone});
  EXPECT_TRUE(box_seen);
}

}  // namespace
}  // namespace app
