// Data sources and links: relay order, the slice over the window,
// clamping, KeyEntry-free derived values, write-back and the failures.
#include <gtest/gtest.h>

#include "data/db_error.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/core/numbers_query_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using testing::RecordingLink;
using Log = std::vector<std::string>;

// The Numbers query with 30 records; each test binds the links it needs.
class LinkTest : public testing::NumbersQueryFixture {
 protected:
  LinkTest() : NumbersQueryFixture(30, false) {}
};

TEST_F(LinkTest, VisualLinksHearLastAndNewestFirst) {
  RecordingLink a(&log_, "a"), b(&log_, "b"), v1(&log_, "v1"), v2(&log_, "v2");
  v1.SetVisualControl(true);
  v2.SetVisualControl(true);
  v1.SetDataSource(&source_);
  a.SetDataSource(&source_);
  v2.SetDataSource(&source_);
  b.SetDataSource(&source_);
  query_.Open();
  EXPECT_EQ(log_, (Log{"b:LiveChanged(1)", "a:LiveChanged(1)", "v2:LiveChanged(1)",
                       "v1:LiveChanged(1)"}));
}

TEST_F(LinkTest, CapacityFollowsTheLargestWindow) {
  RecordingLink a(&log_), b(&log_);
  a.SetDataSource(&source_);
  b.SetDataSource(&source_);
  query_.Open();
  EXPECT_EQ(query_.WindowCapacity(), 1);
  a.SetWindowSize(7);
  EXPECT_EQ(query_.WindowCapacity(), 7);
  EXPECT_EQ(query_.LoadedCount(), 7);
  b.SetWindowSize(4);
  EXPECT_EQ(query_.WindowCapacity(), 7);
  EXPECT_EQ(b.RowsInWindow(), 4);
  a.SetDataSource(nullptr);
  EXPECT_EQ(query_.WindowCapacity(), 4);
  EXPECT_EQ(query_.LoadedCount(), 4);
  // Resizing sends nothing.
  EXPECT_TRUE(std::none_of(log_.begin(), log_.end(), [](const std::string& s) {
    return s.find("Window") != std::string::npos;
  }));
}

// The active row reads the neighbours; shrinking keeps the current record
// in the slice.
TEST_F(LinkTest, ActiveRowReadsNeighboursAndShrinkingKeepsTheCurrentRecord) {
  link_.SetDataSource(&source_);
  OpenWindow(10);
  query_.MoveBy(2);
  EXPECT_EQ(link_.ActiveRow(), 2);
  link_.SetActiveRow(4);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "5");
  link_.SetActiveRow(2);
  EXPECT_EQ(query_.RecNo(), 3);
  query_.MoveBy(7);
  ASSERT_EQ(query_.CurrentIndex(), 9);
  link_.SetWindowSize(4);
  EXPECT_EQ(query_.WindowCapacity(), 4);
  EXPECT_LE(query_.LoadedCount(), 4);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "10");
  EXPECT_GE(link_.ActiveRow(), 0);
  EXPECT_LT(link_.ActiveRow(), 4);
}

// A window that grows while the source sits on its last records fills
// itself with the records before them, so a taller grid is full at once.
TEST_F(LinkTest, GrowingAtTheEndLoadsEarlierRecords) {
  link_.SetDataSource(&source_);
  OpenWindow(10);
  query_.Last();  // records 21..30, the last one current
  ASSERT_EQ(query_.CurrentIndex(), 9);
  ASSERT_EQ(link_.WindowTop(), 0);
  log_.clear();
  link_.SetWindowSize(14);
  EXPECT_EQ(query_.LoadedCount(), 14);
  EXPECT_EQ(query_.CurrentIndex(), 13);
  EXPECT_EQ(link_.WindowTop(), 0);
  EXPECT_EQ(link_.RowsInWindow(), 14);
  EXPECT_EQ(link_.ActiveRow(), 13);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "30");
  EXPECT_EQ(query_.RecNo(), 30);
  link_.SetActiveRow(0);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "17");
  link_.SetActiveRow(13);
  // Still without a notification: the grid asks for the rows itself.
  EXPECT_TRUE(log_.empty()) << log_.front();
  // Moving keeps working over the grown window: back to the top of the
  // slice moves inside it, then one more scrolls.
  EXPECT_EQ(query_.MoveBy(-13), -13);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "17");
  EXPECT_EQ(query_.MoveBy(-1), -1);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "16");

  // More room than records: every record, the current one still last.
  query_.Last();
  link_.SetWindowSize(40);
  EXPECT_EQ(query_.LoadedCount(), 30);
  EXPECT_EQ(link_.ActiveRow(), 29);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "30");
  EXPECT_FALSE(query_.Bof());
  EXPECT_EQ(query_.MoveBy(-29), -29);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "1");
}

TEST_F(LinkTest, BecomingLiveClampsTheTop) {
  RecordingLink first(&log_);
  first.SetDataSource(&source_);
  first.SetWindowSize(10);
  query_.Open();
  query_.MoveBy(8);
  // A link that joins late with a small window is clamped around the
  // current record.
  RecordingLink late(&log_);
  late.SetWindowSize(3);
  late.SetDataSource(&source_);
  EXPECT_TRUE(late.Live());
  EXPECT_EQ(late.ActiveRow(), 2);
  EXPECT_EQ(late.WindowTop(), 6);
  query_.Close();
  EXPECT_EQ(late.WindowTop(), 0);
  query_.Open();
  EXPECT_EQ(late.WindowTop(), 0);
  EXPECT_EQ(query_.CurrentIndex(), 0);
}

TEST_F(LinkTest, AskForEditAndWriteBack) {
  link_.SetDataSource(&source_);
  query_.Open();
  link_.SetLinkReadOnly(true);
  EXPECT_FALSE(link_.Edit());
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  link_.SetLinkReadOnly(false);
  source_.SetAutoEdit(false);
  EXPECT_FALSE(link_.Edit());
  source_.SetAutoEdit(true);
  EXPECT_TRUE(link_.Edit());
  EXPECT_EQ(query_.State(), TDataSetState::Editing);
  log_.clear();
  link_.UpdateRecord();
  EXPECT_EQ(log_, (Log{"link:WriteBack"}));
  EXPECT_FALSE(link_.WritingBack());
}

class ThrowingLink : public RecordingLink {
 public:
  using RecordingLink::RecordingLink;
  bool saw_writing_back = false;

 protected:
  void WriteBack() override {
    saw_writing_back = WritingBack();
    throw EDatabaseError("boom");
  }
};

TEST_F(LinkTest, WritingBackIsClearedOnFailure) {
  ThrowingLink link(&log_);
  link.SetDataSource(&source_);
  query_.Open();
  query_.Edit();
  EXPECT_THROW(query_.Post(), EDatabaseError);
  EXPECT_TRUE(link.saw_writing_back);
  EXPECT_FALSE(link.WritingBack());
  EXPECT_EQ(query_.State(), TDataSetState::Editing);
}

// A record source fed from a data source (a detail of a master).
class DetailQuery : public TADOQuery {
 public:
  using TADOQuery::TADOQuery;
  TDataSource* master = nullptr;
  TDataSource* MasterSource() const override { return master; }
};

TEST_F(LinkTest, CircularLinksAndChangesOfAFixedDataSourceAreRefused) {
  DetailQuery detail("Detail");
  TDataSource detail_source("DetailSource");
  detail_source.SetDataSet(&detail);
  detail.master = &detail_source;  // fed by its own data source
  TDataSource other("Other");
  EXPECT_NO_THROW(other.SetDataSet(&detail));
  TDataSource fresh("DataSource9");
  detail.master = &fresh;
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { fresh.SetDataSet(&detail); }),
            "DataSource9: Circular datalinks are not allowed");
  // A fixed data source cannot change.
  link_.SetDataSource(&source_);
  link_.SetDataSourceFixed(true);
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { link_.SetDataSource(&other); }),
            "DataSource cannot be changed");
  EXPECT_EQ(link_.DataSource(), &source_);
}

TEST_F(LinkTest, DestroyingTheQueryReleasesLinksAndFieldsTellObservers) {
  link_.SetDataSource(&source_);
  {
    TADOQuery q("Q");
    q.SetConnection(&dm_.ADOConnection1);
    q.SQL().Add("Select * From Numbers");
    source_.SetDataSet(&q);
    q.Open();
    EXPECT_TRUE(link_.Live());
  }
  EXPECT_EQ(source_.DataSet(), nullptr);
  EXPECT_FALSE(link_.Live());
  // Fields tell their observers when they are destroyed.
  struct Observer : TFieldFreeObserver {
    std::vector<TField*> gone;
    void FieldDestroyed(TField* f) override { gone.push_back(f); }
  } observer;
  query_.Open();
  TField* f = query_.Field(1);
  f->FreeNotification(&observer);
  query_.Close();
  ASSERT_EQ(observer.gone.size(), 1u);
  EXPECT_EQ(observer.gone[0], f);
}

TEST_F(LinkTest, SwitchingBetweenOpenRecordSourcesPassesThroughClosed) {
  std::vector<TDataSetState> states;  // outlives `other`, whose close is still heard
  TADOQuery other("ADOQueryTemp");
  other.SetConnection(&dm_.ADOConnection1);
  other.SQL().Add("Select * From Numbers Where InStr(Name,'2')");
  link_.SetDataSource(&source_);
  query_.Open();
  other.Open();
  source_.OnStateChange = [&](TDataSource& s) { states.push_back(s.State()); };
  log_.clear();
  source_.SetDataSet(&other);
  // Links drop what they hold of the old record source before binding the
  // new one, although both are open.
  EXPECT_EQ(log_, (Log{"link:LiveChanged(0)", "link:LiveChanged(1)"}));
  EXPECT_EQ(states, (std::vector<TDataSetState>{TDataSetState::Closed, TDataSetState::Browsing}));
  EXPECT_TRUE(query_.DataSources().empty());
  EXPECT_EQ(other.DataSources().size(), 1u);
}

}  // namespace
}  // namespace data
