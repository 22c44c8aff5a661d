// Column footers: one per footer row, showing static text, a summary of a
// field over the whole record source (kept by the grid's summary list) or a
// field's value in the current record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/base/data_access.h"
#include "grid/base/font.h"
#include "grid/columns/column_values.h"

namespace grid {

class TGridColumn;
class TSumItem;

enum class TFooterValueType {
  fvtNon,
  fvtSum,
  fvtAvg,
  fvtCount,
  fvtFieldValue,
  fvtStaticText,
};

class TColumnFooter {
 public:
  // `in_collection` is true for the items of a column's Footers collection;
  // creating one of those repaints the grid's footer rows.
  TColumnFooter(TGridColumn& column, bool in_collection);
  // Destroys the footer's summary entry and repaints the footer rows.
  ~TColumnFooter();
  TColumnFooter(const TColumnFooter&) = delete;
  TColumnFooter& operator=(const TColumnFooter&) = delete;

  TGridColumn& Column() const { return column_; }

  // The column's bound field's alignment (taLeftJustify without) unless set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  // The grid's FooterColor (clWindow without a grid) unless set.
  TColor Color() const;
  void SetColor(TColor value);
  // The grid's FooterFont (the column's font without a grid) while not set;
  // a change through the returned object marks it set.
  TFont& Font();
  void SetFont(const TFont& value) { font_.Assign(value); }
  void RefreshDefaultFont();
  bool IsExplicit(TFooterValue v) const { return explicit_.Has(v); }

  const std::string& DisplayFormat() const { return display_format_; }
  void SetDisplayFormat(const std::string& value);
  bool EndEllipsis() const { return end_ellipsis_; }
  void SetEndEllipsis(bool value);
  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(const std::string& value);
  const std::string& Value() const { return value_; }
  void SetValue(const std::string& value);
  TFooterValueType ValueType() const { return value_type_; }
  void SetValueType(TFooterValueType value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);

  // The footer's summary entry; exists exactly while the column is in a grid
  // and ValueType is a sum, an average or a count.
  TSumItem* Summary() const { return summary_; }
  // Creates, re-targets or destroys the summary entry to match ValueType.
  void SyncFooterSummary();

  // Forgets the assigned alignment, colour and font.
  void RestoreDefaults();

 private:
  std::string SummaryFieldName() const;
  void DestroySummary();
  void Changed();
  void FontChanged();

  TGridColumn& column_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  ExplicitSet<TFooterValue> explicit_;
  TColor color_ = 0;
  std::string display_format_;
  bool end_ellipsis_ = false;
  std::string field_name_;
  TFont font_;
  std::string value_;
  TFooterValueType value_type_ = TFooterValueType::fvtNon;
  bool word_wrap_ = false;
  TSumItem* summary_ = nullptr;
};

// The footers of a column beyond its single Footer, one per footer row.
class TColumnFooters {
 public:
  explicit TColumnFooters(TGridColumn& column) : column_(column) {}

  TGridColumn& Column() const { return column_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TColumnFooter& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
  TColumnFooter& Add();
  void Delete(int index);
  void Clear();

 private:
  TGridColumn& column_;
  std::vector<std::unique_ptr<TColumnFooter>> items_;
};

class TDataGridSumList;

// The text of the footer cell of `column` in footer row `row`: a summary of
// `source` kept by `sums`, the current record's field value, a static text
// or nothing, by the footer's value type.
std::string FooterCellText(int row, TGridColumn& column, TDataSet* source, TDataGridSumList& sums);

}  // namespace grid
