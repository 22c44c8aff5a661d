#include "data/data_link.h"

#include <algorithm>

#include "data/data_source.h"
#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() { DetachFromSource(); }

void TDataLink::DetachFromSource() {
  if (data_source_) {
    TDataSource* old = data_source_;
    data_source_ = nullptr;
    old->RemoveLink(this);
  }
}

TDataSet* TDataLink::DataSet() const { return data_source_ ? data_source_->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == data_source_) return;
  if (data_source_fixed_) DatabaseError(kDataSourceChange);
  DetachFromSource();
  if (source) {
    data_source_ = source;
    source->AddLink(this);
  }
  UpdateState();
}

void TDataLink::SetLinkReadOnly(bool read_only) {
  if (read_only_ == read_only) return;
  read_only_ = read_only;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetLive(data_source_ && data_source_->State() != TDataSetState::Closed);
  TDataSetState s = data_source_ ? data_source_->State() : TDataSetState::Closed;
  SetEditing((s == TDataSetState::Editing || s == TDataSetState::Inserting ||
              s == TDataSetState::KeyEntry) &&
             !read_only_);
}

void TDataLink::SetLive(bool live) {
  if (live_ == live) return;
  live_ = live;
  if (live) {
    ClampWindowTop();
  } else {
    window_top_ = 0;
  }
  LiveChanged();
}

void TDataLink::SetEditing(bool editing) {
  if (editing_ == editing) return;
  editing_ = editing;
  EditingChanged();
}

void TDataLink::ClampWindowTop() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  const int current = ds->CurrentIndex();
  const int low = std::max(0, current - window_size_ + 1);
  const int high = std::min(std::max(0, ds->LoadedCount() - window_size_), current);
  window_top_ = std::min(std::max(window_top_, low), high);
  if (window_top_ > 0 && current - window_top_ < window_size_ - 1) --window_top_;
}

void TDataLink::SetWindowSize(int size) {
  if (size == window_size_) return;
  window_size_ = size;
  if (live_) {
    ClampWindowTop();
    if (TDataSet* ds = DataSet()) ds->UpdateWindowCapacity();
    ClampWindowTop();
  }
}

bool TDataLink::InKeyEntry() const {
  return data_source_ && data_source_->State() == TDataSetState::KeyEntry;
}

int TDataLink::ActiveRow() const {
  TDataSet* ds = DataSet();
  if (!ds || InKeyEntry()) return 0;
  return ds->CurrentIndex() - window_top_;
}

void TDataLink::SetActiveRow(int row) {
  TDataSet* ds = DataSet();
  if (!ds || InKeyEntry()) return;
  ds->SetCurrentIndex(window_top_ + row);
}

int TDataLink::RowsInWindow() const {
  TDataSet* ds = DataSet();
  if (!ds) return 0;
  if (InKeyEntry()) return 1;
  return std::min(window_size_, ds->LoadedCount());
}

bool TDataLink::Bof() const {
  TDataSet* ds = DataSet();
  return ds ? ds->Bof() : true;
}

bool TDataLink::Eof() const {
  TDataSet* ds = DataSet();
  return ds ? ds->Eof() : true;
}

int TDataLink::MoveBy(int n) {
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(n) : 0;
}

bool TDataLink::Edit() {
  if (!read_only_ && data_source_) data_source_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  writing_back_ = true;
  try {
    WriteBack();
  } catch (...) {
    writing_back_ = false;
    throw;
  }
  writing_back_ = false;
}

void TDataLink::DataEvent(TDataEvent event, TDataEventInfo info) {
  if (event == TDataEvent::StateSwitched) {
    UpdateState();
    return;
  }
  if (!live_) return;
  switch (event) {
    case TDataEvent::FieldEdited:
    case TDataEvent::RecordEdited:
      if (!writing_back_) {
        RecordEdited(event == TDataEvent::FieldEdited ? reinterpret_cast<TField*>(info) : nullptr);
      }
      break;
    case TDataEvent::WindowReloaded:
    case TDataEvent::WindowScrolled:
    case TDataEvent::LayoutReshaped: {
      int shift = 0;
      if (!InKeyEntry()) {
        TDataSet* ds = DataSet();
        const int a = event == TDataEvent::WindowScrolled ? static_cast<int>(info) : 0;
        const int first = window_top_ + a;
        const int last = first + window_size_ - 1;
        const int current = ds ? ds->CurrentIndex() : 0;
        if (current > last) {
          shift = current - last;
        } else if (current < first) {
          shift = current - first;
        }
        window_top_ = first + shift;
      }
      if (event == TDataEvent::WindowReloaded) {
        WindowReloaded();
      } else if (event == TDataEvent::WindowScrolled) {
        WindowScrolled(shift);
      } else {
        LayoutReshaped();
      }
      break;
    }
    case TDataEvent::CollectEdits:
      UpdateRecord();
      break;
    case TDataEvent::SettleEdits:
      SettleEdits();
      break;
    case TDataEvent::FieldFocusRequest:
      FocusField(reinterpret_cast<TField**>(info));
      break;
    case TDataEvent::SilentStateSwitch:
      SilentStateSwitch(info != 0);
      break;
    default:
      break;
  }
}

}  // namespace data
