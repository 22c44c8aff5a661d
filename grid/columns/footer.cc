#include "grid/columns/footer.h"

#include "grid/columns/column_host.h"
#include "grid/columns/columns.h"
#include "grid/columns/grid_column.h"
#include "grid/columns/sum_list.h"

namespace grid {
namespace {

// The grid of a column when it can still take requests.
ColumnHost* LiveGrid(const TGridColumn& column) {
  ColumnHost* grid = column.Host();
  return grid && !grid->Destroying() ? grid : nullptr;
}

}  // namespace

TColumnFooter::TColumnFooter(TGridColumn& column, bool in_collection) : column_(column) {
  font_.SetOnChange([this] { FontChanged(); });
  if (in_collection) {
    if (ColumnHost* grid = LiveGrid(column_)) grid->InvalidateFooters();
  }
}

TColumnFooter::~TColumnFooter() {
  // The summary list belongs to the grid; during the grid's destruction it
  // goes away on its own.
  if (ColumnHost* grid = LiveGrid(column_)) {
    DestroySummary();
    grid->InvalidateFooters();
  }
}

TAlignment TColumnFooter::Alignment() const {
  if (explicit_.Has(TFooterValue::fvAlignment)) return alignment_;
  TField* field = column_.BoundField();
  return field ? field->Alignment() : TAlignment::taLeftJustify;
}

void TColumnFooter::SetAlignment(TAlignment value) {
  if (explicit_.Has(TFooterValue::fvAlignment) && alignment_ == value) return;
  alignment_ = value;
  explicit_.Include(TFooterValue::fvAlignment);
  Changed();
}

TColor TColumnFooter::Color() const {
  if (explicit_.Has(TFooterValue::fvColor)) return color_;
  ColumnHost* grid = column_.Host();
  return grid ? grid->FooterColor() : clWindow;
}

void TColumnFooter::SetColor(TColor value) {
  if (explicit_.Has(TFooterValue::fvColor) && color_ == value) return;
  color_ = value;
  explicit_.Include(TFooterValue::fvColor);
  Changed();
}

TFont& TColumnFooter::Font() {
  if (!explicit_.Has(TFooterValue::fvFont)) {
    ColumnHost* grid = column_.Host();
    FontSpec source = grid ? grid->FooterFont().Spec() : column_.Font().Spec();
    if (!(font_.Spec() == source)) font_.AssignSilently(source);
  }
  return font_;
}

void TColumnFooter::RefreshDefaultFont() {
  if (explicit_.Has(TFooterValue::fvFont)) return;
  ColumnHost* grid = column_.Host();
  font_.AssignSilently(grid ? grid->FooterFont().Spec() : column_.Font().Spec());
}

void TColumnFooter::FontChanged() {
  explicit_.Include(TFooterValue::fvFont);
  column_.Changed(/*whole_set=*/true);
}

void TColumnFooter::SetDisplayFormat(const std::string& value) {
  if (display_format_ == value) return;
  display_format_ = value;
  Changed();
}

void TColumnFooter::SetEndEllipsis(bool value) {
  end_ellipsis_ = value;
  Changed();
}

void TColumnFooter::SetFieldName(const std::string& value) {
  field_name_ = value;
  column_.SyncFooterSummaries();
  Changed();
}

void TColumnFooter::SetValue(const std::string& value) {
  value_ = value;
  Changed();
}

void TColumnFooter::SetValueType(TFooterValueType value) {
  if (value_type_ == value) return;
  value_type_ = value;
  column_.SyncFooterSummaries();
  Changed();
}

void TColumnFooter::SetWordWrap(bool value) {
  word_wrap_ = value;
  Changed();
}

std::string TColumnFooter::SummaryFieldName() const {
  return field_name_.empty() ? column_.FieldName() : field_name_;
}

void TColumnFooter::SyncFooterSummary() {
  ColumnHost* grid = LiveGrid(column_);
  if (!grid) return;
  TGroupOperation op = TGroupOperation::goSum;
  bool wants_summary = true;
  switch (value_type_) {
    case TFooterValueType::fvtSum:
      op = TGroupOperation::goSum;
      break;
    case TFooterValueType::fvtAvg:
      op = TGroupOperation::goAvg;
      break;
    case TFooterValueType::fvtCount:
      op = TGroupOperation::goCount;
      break;
    default:
      wants_summary = false;
      break;
  }
  if (summary_) {
    if (!wants_summary) {
      DestroySummary();
      return;
    }
    summary_->SetGroupOperation(op);
    summary_->SetFieldName(op == TGroupOperation::goCount ? std::string() : SummaryFieldName());
    return;
  }
  if (!wants_summary) return;
  TSumCollection& sums = grid->SumList().SumCollection();
  sums.BeginUpdate();
  try {
    TSumItem& item = sums.Add();
    summary_ = &item;
    item.SetGroupOperation(op);
    if (op != TGroupOperation::goCount) item.SetFieldName(SummaryFieldName());
  } catch (...) {
    sums.EndUpdate();
    throw;
  }
  sums.EndUpdate();
}

void TColumnFooter::DestroySummary() {
  TSumItem* item = summary_;
  summary_ = nullptr;
  if (!item) return;
  if (ColumnHost* grid = column_.Host()) grid->SumList().SumCollection().Remove(item);
}

void TColumnFooter::RestoreDefaults() {
  bool font_was_explicit = explicit_.Has(TFooterValue::fvFont);
  explicit_.Clear();
  RefreshDefaultFont();
  column_.Changed(font_was_explicit);
}

void TColumnFooter::Changed() { column_.Changed(); }

TColumnFooter& TColumnFooters::Add() {
  items_.push_back(std::make_unique<TColumnFooter>(column_, /*in_collection=*/true));
  return *items_.back();
}

void TColumnFooters::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  // Take it out of the list first so the destructor sees a consistent list.
  std::unique_ptr<TColumnFooter> doomed = std::move(items_[static_cast<std::size_t>(index)]);
  items_.erase(items_.begin() + index);
}

void TColumnFooters::Clear() {
  while (!items_.empty()) {
    std::unique_ptr<TColumnFooter> doomed = std::move(items_.back());
    items_.pop_back();
  }
}

}  // namespace grid
