// Filter conditions, and the query showing only the records that pass them.
#include <gtest/gtest.h>

#include "data/db_error.h"
#include "data/filter_expression.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/core/numbers_query_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using provider::Variant;
using testing::LogHandlers;
using Log = std::vector<std::string>;

const std::vector<std::string> kColumns = {"Name", "Qty", "Unit Price"};

bool Matches(const std::string& text, const std::vector<Variant>& row) {
  return FilterExpression::Parse(text, kColumns).Matches(row);
}

TEST(FilterExpressionTest, ComparisonsLogicLikeAndBadText) {
  const std::vector<Variant> pear = {Variant(std::string("Pear")), Variant(int64_t{5}),
                                     Variant(2.5)};
  const std::vector<Variant> blank = {Variant(), Variant(), Variant()};
  struct Case {
    const char* text;
    bool pear, blank;
  };
  const Case cases[] = {
      {"", true, true},
      {"Qty = 5", true, false},
      {"qty <> 5", false, false},  // a null value compares as nothing
      {"Qty >= 5 AND Qty <= 5", true, false},
      {"Qty < 5 OR Qty > 5", false, false},
      {"Qty = '5'", true, false},
      {"[Unit Price] > 2.25", true, false},
      {"Name = 'PEAR'", true, false},
      {"Name < 'pears'", true, false},
      {"Name LIKE 'p*'", true, false},
      {"Name LIKE '%E_R'", true, false},
      {"Name LIKE 'p?'", false, false},
      {"Name IS NULL", false, true},
      {"Name IS NOT NULL", true, false},
      {"Name = NULL OR Qty <> NULL", true, true},
      {"NOT (Qty = 5) OR Name IS NULL", false, true},
      {"(Qty = 1 OR Qty = 5) AND NOT Name LIKE 'x*'", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Matches(c.text, pear), c.pear) << c.text;
    EXPECT_EQ(Matches(c.text, blank), c.blank) << c.text;
  }
  EXPECT_TRUE(
      Matches("Name = 'O''Brien'", {Variant(std::string("o'brien")), Variant(), Variant()}));
  EXPECT_TRUE(Matches("Qty = TRUE", {Variant(), Variant(true), Variant()}));
  EXPECT_TRUE(Matches("Name LIKE '北*'", {Variant(std::string("北京")), Variant(), Variant()}));
  EXPECT_FALSE(Matches("Name LIKE '?'", {Variant(std::string("北京")), Variant(), Variant()}));
  // LIKE backtracks.
  EXPECT_TRUE(LikeMatches("abcabd", "*abd"));
  EXPECT_TRUE(LikeMatches("aXbXc", "a*b*c"));
  EXPECT_FALSE(LikeMatches("abc", "a*d"));
  EXPECT_TRUE(LikeMatches("", "*"));
  EXPECT_FALSE(LikeMatches("", "?"));
  // Bad text fails.
  for (const char* text : {"Qty", "Qty >", "Qty = 'open", "(Qty = 1", "Qty = 1 Name = 2",
                           "Qty LIKE 5", "Qty < NULL", "Qty = 1 AND", "[Unit Price = 1"}) {
    EXPECT_EQ(FailureOf<EDatabaseError>([&] { FilterExpression::Parse(text, kColumns); }),
              std::string("Invalid filter expression: ") + text);
  }
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { FilterExpression::Parse("Price > 1", kColumns); }),
            "Field 'Price' not found");
}

class FilteredQueryTest : public testing::NumbersQueryFixture {
 protected:
  FilteredQueryTest() : NumbersQueryFixture(12) {}
};

TEST_F(FilteredQueryTest, FilterShowsOnlyPassingRecords) {
  query_.Open();
  query_.MoveBy(3);
  EXPECT_TRUE(query_.IsSequenced());
  LogHandlers(query_, source_, &log_);
  query_.SetFilter("ID > 4 AND ID <= 10 AND NOT ID = 7");
  EXPECT_TRUE(log_.empty());  // not in force yet
  query_.SetFiltered(true);
  // Like a jump to the first record.
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeScroll", "link:WindowReloaded", "OnDataChange(-)",
                       "AfterScroll"}));
  EXPECT_FALSE(query_.IsSequenced());
  EXPECT_EQ(query_.RecordCount(), 5);
  EXPECT_EQ(CurrentId(), 5);
  EXPECT_EQ(query_.MoveBy(10), 4);
  EXPECT_EQ(CurrentId(), 10);
  query_.SetRecNo(3);
  EXPECT_EQ(CurrentId(), 8);
  TBookmark mark = query_.GetBookmark();
  query_.First();
  query_.GotoBookmark(mark);
  EXPECT_EQ(CurrentId(), 8);

  query_.SetFilter("Name LIKE '*1*'");
  EXPECT_EQ(query_.RecordCount(), 4);  // 1, 10, 11, 12
  query_.SetFiltered(false);
  EXPECT_EQ(query_.RecordCount(), 12);
  EXPECT_EQ(CurrentId(), 1);
}

TEST_F(FilteredQueryTest, ChangesUnderAFilterReachTheRightRows) {
  query_.SetFilter("ID >= 6");
  query_.SetFiltered(true);
  query_.Open();  // the filter applies from the open on
  EXPECT_EQ(query_.RecordCount(), 7);
  query_.MoveBy(2);
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("eight");
  query_.Post();
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[7][1]), "eight");
  EXPECT_EQ(CurrentId(), 8);

  query_.Delete();
  EXPECT_EQ(db_->tables[0].rows.size(), 11u);
  EXPECT_EQ(CurrentId(), 9);
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("nine");
  query_.Post();
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[7][1]), "nine");

  // A new record stays in view until the filter is applied again.
  query_.Append();
  query_.FieldByName("ID").SetTextValue("1");
  query_.Post();
  EXPECT_EQ(query_.RecordCount(), 7);
  EXPECT_EQ(CurrentId(), 1);
  query_.SetFilter("ID >= 5");
  EXPECT_EQ(query_.RecordCount(), 7);  // 5..12 without 8
}

TEST_F(FilteredQueryTest, RecordHandlerReadsTheCandidate) {
  query_.Open();
  int calls = 0;
  query_.SetOnFilterRecord([&](TDataSet& ds, bool& accept) {
    ++calls;
    EXPECT_EQ(ds.State(), TDataSetState::Filtering);
    EXPECT_THROW(ds.FieldByName("Name").SetTextValue("x"), EDatabaseError);
    accept = ds.FieldByName("ID").TextValue().size() == 2;
  });
  EXPECT_EQ(calls, 0);  // not filtered yet
  query_.SetFilter("ID <> 11");
  query_.SetFiltered(true);
  EXPECT_EQ(calls, 11);  // only the records the text let through
  EXPECT_EQ(query_.RecordCount(), 2);
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_EQ(db_->rows_written, 0);
}

TEST_F(FilteredQueryTest, FailingHandlerLeavesTheViewAsItWasAndAHandlerAloneFilters) {
  query_.Open();
  query_.SetFilter("ID > 6");
  query_.SetFiltered(true);
  query_.Next();
  EXPECT_THROW(query_.SetOnFilterRecord([](TDataSet& ds, bool&) {
    if (ds.FieldByName("ID").TextValue() == "9") throw EDatabaseError("no nines");
  }),
               EDatabaseError);
  EXPECT_EQ(query_.OnFilterRecord(), nullptr);  // the failed handler was not kept
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_EQ(query_.RecordCount(), 6);
  EXPECT_EQ(CurrentId(), 8);
  // A handler alone filters.
  query_.SetFilter("");
  EXPECT_EQ(query_.RecordCount(), 12);  // nothing to filter by
  query_.SetOnFilterRecord(
      [](TDataSet& ds, bool& accept) { accept = ds.FieldByName("ID").TextValue() == "3"; });
  EXPECT_EQ(query_.RecordCount(), 1);
  EXPECT_EQ(CurrentId(), 3);
}

}  // namespace
}  // namespace data
