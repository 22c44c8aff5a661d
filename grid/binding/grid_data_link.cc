#include "grid/binding/grid_data_link.h"

#include <algorithm>

#include "grid/binding/data_grid.h"

namespace grid {

TGridDataLink::TGridDataLink(TDataGrid& grid) : grid_(grid) { SetVisualControl(true); }

TGridDataLink::~TGridDataLink() {
  ClearMapping();
  StopWatching();
}

void TGridDataLink::ClearMapping() { map_.clear(); }

void TGridDataLink::AddMapping(const std::string& field_name) {
  int index = -1;
  TDataSet* source = DataSet();
  TField* field = nullptr;
  if (lenient_map_) {
    field = source ? source->FindField(field_name) : nullptr;
  } else if (source) {
    field = &source->FieldByName(field_name);
  } else {
    data::DatabaseError(data::Format(data::kFieldNotFound, field_name.c_str()));
  }
  if (field) index = field->Index();
  if (static_cast<int>(map_.size()) == capacity_) {
    int grown = capacity_ == 0 ? 8 : capacity_ * 2;
    capacity_ = std::max(grown, static_cast<int>(map_.size()) + 1);
    map_.reserve(static_cast<std::size_t>(capacity_));
  }
  map_.push_back(index);
  if (field) WatchField(field);
}

int TGridDataLink::MappedIndex(int i) const {
  if (i < 0 || i >= MappingCount()) return -1;
  return map_[static_cast<std::size_t>(i)];
}

TField* TGridDataLink::MappedField(int i) const {
  int index = MappedIndex(i);
  TDataSet* source = DataSet();
  if (index < 0 || !source || index >= source->FieldCount()) return nullptr;
  return source->Field(index);
}

bool TGridDataLink::MappingContains(const TField* field) const {
  if (!field) return false;
  for (int i = 0; i < MappingCount(); ++i) {
    if (MappedField(i) == field) return true;
  }
  return false;
}

bool TGridDataLink::DefaultFields() const {
  TDataSet* source = DataSet();
  if (!source) return true;
  if (lenient_map_ && std::find(map_.begin(), map_.end(), -1) != map_.end()) return false;
  return source->DefaultFields();
}

void TGridDataLink::WatchField(TField* field) {
  if (!field || std::find(watched_.begin(), watched_.end(), field) != watched_.end()) return;
  field->FreeNotification(this);
  watched_.push_back(field);
}

void TGridDataLink::FieldDestroyed(TField* field) {
  watched_.erase(std::remove(watched_.begin(), watched_.end(), field), watched_.end());
  grid_.FieldDestroyed(field);
}

void TGridDataLink::StopWatching() {
  for (TField* field : watched_) field->RemoveFreeNotification(this);
  watched_.clear();
}

void TGridDataLink::Revert() {
  if (EditPending) {
    grid_.RecordTouched(nullptr);
  } else if (TDataSet* source = DataSet()) {
    source->Cancel();
  }
}

void TGridDataLink::LiveChanged() {
  grid_.LinkToggled(Live());
  EditPending = false;
}

void TGridDataLink::EditingChanged() { grid_.EditStateToggled(); }

void TGridDataLink::WindowReloaded() {
  grid_.RowsReloaded();
  EditPending = false;
}

void TGridDataLink::WindowScrolled(int distance) { grid_.RowsShifted(distance); }

void TGridDataLink::LayoutReshaped() {
  bool saved = grid_.LayoutFromSource();
  grid_.SetLayoutFromSource(true);
  try {
    grid_.ColumnsReshaped();
  } catch (...) {
    grid_.SetLayoutFromSource(saved);
    throw;
  }
  grid_.SetLayoutFromSource(saved);
  grid_.RowsReloaded();
  EditPending = false;
}

void TGridDataLink::RecordEdited(TField* field) {
  grid_.RecordTouched(field);
  EditPending = false;
}

void TGridDataLink::FocusField(TField** field) { grid_.FocusField(field); }

void TGridDataLink::WriteBack() {
  if (in_write_back_) return;
  in_write_back_ = true;
  try {
    grid_.WriteBack();
  } catch (...) {
    in_write_back_ = false;
    throw;
  }
  in_write_back_ = false;
}

}  // namespace grid
