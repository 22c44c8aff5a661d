#include "grid/columns/columns.h"

#include <algorithm>

#include "grid/columns/column_host.h"

namespace grid {

TDataGridColumns::~TDataGridColumns() {
  removing_ = true;
  while (!items_.empty()) {
    std::unique_ptr<TDataGridColumn> doomed = std::move(items_.back());
    items_.pop_back();
  }
}

int TDataGridColumns::IndexOf(const TGridColumn* column) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == column) return static_cast<int>(i);
  }
  return -1;
}

TDataGridColumn& TDataGridColumns::Append(bool persistent) {
  items_.push_back(std::make_unique<TDataGridColumn>(*this));
  TDataGridColumn& column = *items_.back();
  column.SetIsPersistent(persistent);
  Changed(nullptr);
  return column;
}

TDataGridColumn& TDataGridColumns::Add() { return Append(/*persistent=*/true); }

TDataGridColumn& TDataGridColumns::AddFieldDrivenColumn() { return Append(/*persistent=*/false); }

void TDataGridColumns::AddFieldColumns(bool clear_first) {
  ColumnHost* grid = host_;
  if (!grid || !grid->RecordSource()) {
    if (clear_first) Clear();
    return;
  }
  grid->OpenLayoutBatch();
  try {
    if (clear_first) Clear();
    for (TField* field : grid->FieldsToShow()) Add().SetFieldName(field->FieldName());
  } catch (...) {
    grid->CloseLayoutBatch();
    throw;
  }
  grid->CloseLayoutBatch();
}

void TDataGridColumns::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) {
      std::unique_ptr<TDataGridColumn> doomed = std::move(items_.back());
      items_.pop_back();
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TDataGridColumns::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  {
    std::unique_ptr<TDataGridColumn> doomed = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
  }
  Changed(nullptr);
}

void TDataGridColumns::Move(int from, int to) {
  int count = Count();
  if (from < 0 || from >= count || from == to) return;
  to = std::clamp(to, 0, count - 1);
  if (from == to) return;
  auto first = items_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else {
    std::rotate(first + to, first + from, first + from + 1);
  }
  Changed(nullptr);
}

TColumnSetState TDataGridColumns::ColumnSetState() const {
  return !items_.empty() && items_.front()->IsPersistent() ? TColumnSetState::Persistent
                                                           : TColumnSetState::FieldDriven;
}

void TDataGridColumns::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0) Changed(nullptr);
}

void TDataGridColumns::Changed(TGridColumn* column) {
  if (update_count_ > 0 || removing_) return;
  ColumnChanged(column);
}

void TDataGridColumns::ColumnChanged(TGridColumn* column) {
  if (host_) host_->ColumnChanged(column);
}

}  // namespace grid
