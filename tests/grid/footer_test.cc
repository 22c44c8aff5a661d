// Footers: their summary entries and the texts of every value type.
#include <gtest/gtest.h>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using grid::TFooterValueType;
using grid::TGroupOperation;
using V = provider::Variant;

class FooterTest : public GridFixture {
 protected:
  void SetUp() override {
    grid.SetFooterRowCount(1);
    grid.SumList().SetActive(true);
    query.Open();
    grid.Columns().AddFieldColumns(true);
  }
  grid::TSumCollection& Sums() { return grid.SumList().SumCollection(); }
  std::string Text(int col) { return grid.FooterValueText(0, Col(col)); }
};

TEST_F(FooterTest, SummaryEntryFollowsValueType) {
  grid::TColumnFooter& footer = Col(2).Footer();
  footer.SetValueType(TFooterValueType::fvtSum);
  ASSERT_EQ(Sums().Count(), 1);
  ASSERT_NE(footer.Summary(), nullptr);
  EXPECT_EQ(footer.Summary()->FieldName(), "Price");
  EXPECT_EQ(footer.Summary()->GroupOperation(), TGroupOperation::goSum);
  EXPECT_EQ(footer.Summary()->ResultValue, 37500);
  EXPECT_EQ(Text(2), "3.75");

  footer.SetValueType(TFooterValueType::fvtAvg);
  ASSERT_EQ(Sums().Count(), 1);
  EXPECT_EQ(footer.Summary()->GroupOperation(), TGroupOperation::goAvg);
  EXPECT_EQ(Text(2), "1.875");

  footer.SetValueType(TFooterValueType::fvtStaticText);
  EXPECT_EQ(Sums().Count(), 0);
  EXPECT_EQ(footer.Summary(), nullptr);

  footer.SetValueType(TFooterValueType::fvtCount);
  ASSERT_EQ(Sums().Count(), 1);
  EXPECT_EQ(footer.Summary()->FieldName(), "");
  EXPECT_EQ(Text(2), "3");
  footer.SetDisplayFormat("0.0 rows");
  EXPECT_EQ(Text(2), "3.0 rows");
}

TEST_F(FooterTest, FooterFieldNameRetargetsTheSummaryAndAMissingOneSumsToZero) {
  grid::TColumnFooter& footer = Col(0).Footer();
  footer.SetValueType(TFooterValueType::fvtSum);
  EXPECT_EQ(footer.Summary()->FieldName(), "Name");
  EXPECT_EQ(Text(0), "0");  // a text field has no sum text
  footer.SetFieldName("Qty");
  EXPECT_EQ(footer.Summary()->FieldName(), "Qty");
  EXPECT_EQ(Text(0), "10");
  // A sum of a missing field shows zero.
  Col(2).Footer().SetValueType(TFooterValueType::fvtSum);
  // The recalculation the change starts fails on the missing field; the
  // text still shows "0".
  EXPECT_THROW(Col(2).Footer().SetFieldName("Nope"), data::EDatabaseError);
  EXPECT_EQ(Col(2).Footer().Summary()->FieldName(), "Nope");
  EXPECT_EQ(Text(2), "0");
}

TEST_F(FooterTest, SummariesGoWithTheirColumnsAndFreeColumnsHaveNone) {
  Col(1).Footer().SetValueType(TFooterValueType::fvtSum);
  Col(1).Footers().Add().SetValueType(TFooterValueType::fvtCount);
  EXPECT_EQ(Sums().Count(), 2);
  Col(1).Footers().Delete(0);
  EXPECT_EQ(Sums().Count(), 1);
  grid.Columns().Clear();
  EXPECT_EQ(Sums().Count(), 0);
  // A column outside a grid has none.
  grid::TDataGridColumns free_columns(nullptr);
  grid::TDataGridColumn& column = free_columns.Add();
  column.Footer().SetValueType(TFooterValueType::fvtSum);
  EXPECT_EQ(column.Footer().Summary(), nullptr);
}

TEST_F(FooterTest, SecondFooterRowFallsBackToFooterAndChangesRepaintTheFooterRow) {
  Col(0).Footer().SetValue("a");
  Col(0).Footer().SetValueType(TFooterValueType::fvtStaticText);
  EXPECT_EQ(grid.FooterValueText(1, Col(0)), "a");
  grid::TColumnFooter& second = Col(0).Footers().Add();
  second.SetValue("b");
  second.SetValueType(TFooterValueType::fvtStaticText);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "b");
  EXPECT_EQ(grid.FooterValueText(1, Col(0)), "a");
  // Footer changes repaint the footer row.
  grid.SetHost(&host);
  // Either the footer rows or (after a reload) the whole grid repaint.
  host.Reset();
  Col(0).Footers().Add();
  EXPECT_TRUE(host.full > 0 || !host.rects.empty());
  host.Reset();
  Col(2).Footer().SetValueType(TFooterValueType::fvtSum);  // recalculation
  EXPECT_TRUE(host.full > 0 || !host.rects.empty());
}

TEST_F(FooterTest, StaticFieldValueAndEmptyTexts) {
  EXPECT_EQ(Text(0), "");  // fvtNon
  Col(0).Footer().SetValue("12条");
  Col(0).Footer().SetValueType(TFooterValueType::fvtStaticText);
  EXPECT_EQ(Text(0), "12条");
  EXPECT_EQ(Sums().Count(), 0);

  grid::TColumnFooter& value = Col(1).Footer();
  value.SetValueType(TFooterValueType::fvtFieldValue);
  EXPECT_EQ(Text(1), "");  // no field named
  value.SetFieldName("Name");
  EXPECT_EQ(Text(1), "apple");
  value.SetFieldName("Price");
  value.SetDisplayFormat("0.00");
  EXPECT_EQ(Text(1), "1.50");
  value.SetFieldName("Nope");
  EXPECT_EQ(Text(1), "");
  query.Close();
  value.SetFieldName("Name");
  EXPECT_EQ(Text(1), "");
}

// Number forms by the summed field's type, each over a record source of its own.
TEST(FooterTypeTest, FormatsByFieldType) {
  constexpr TFooterValueType kSum = TFooterValueType::fvtSum, kAvg = TFooterValueType::fvtAvg;
  auto n = [](int64_t value) { return V(value); };
  auto money = [](int64_t units) { return V(provider::Currency{units}); };
  const struct {
    int ado_type;
    std::vector<V> values;
    TFooterValueType type;
    const char* pattern;
    const char* expected;
  } cases[] = {
      // Integer averages round to the nearest integer, ties to even.
      {provider::adInteger, {n(2), n(3)}, kAvg, "", "2"},
      {provider::adInteger, {n(3), n(4)}, kAvg, "", "4"},
      {provider::adSmallInt, {n(-3), n(-4)}, kAvg, "", "-4"},
      {provider::adInteger, {n(1), n(2)}, kAvg, "0.00", "1.50"},
      {provider::adInteger, {n(2000000000), n(2000000000)}, kSum, "", "4000000000"},
      {provider::adDouble, {V(1.0), V(2.0), V(2.0)}, kAvg, "", "1.6667"},
      {provider::adDouble, {V(1234.5)}, kSum, "#,##0.00", "1,234.50"},
      {provider::adCurrency, {money(125000), money(12500)}, kSum, "", "13.75"},
      {provider::adCurrency, {money(20000)}, kSum, "", "2"},
      {provider::adBigInt, {n(7)}, kSum, "", "0"},
      {provider::adDouble, {}, kSum, "", "0"},
      {provider::adDouble, {V(1.0), V()}, TFooterValueType::fvtCount, "", "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ado_type << " " << c.expected);
    std::vector<std::vector<V>> rows;
    for (const V& v : c.values) rows.push_back({v});
    MemoryDataSet query("ADOQuery1", {Column("F", c.ado_type, 8)}, rows);
    data::TDataSource source("DataSource1");
    source.SetDataSet(&query);
    grid::TDataGrid grid;
    grid.SetDataSource(&source);
    grid.SumList().SetActive(true);
    query.Open();
    grid.Columns().AddFieldColumns(true);
    grid.Columns()[0].Footer().SetDisplayFormat(c.pattern);
    grid.Columns()[0].Footer().SetValueType(c.type);
    EXPECT_EQ(grid.FooterValueText(0, grid.Columns()[0]), c.expected);
  }
}

}  // namespace
}  // namespace grid_test
