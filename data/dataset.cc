#include "data/dataset.h"

#include <algorithm>

#include "data/data_link.h"
#include "data/data_source.h"
#include "data/db_error.h"
#include "data/field_factory.h"
#include "text/case_fold.h"

namespace data {

TDataSet::TDataSet(std::string name)
    : name_(std::move(name)), regional_(DefaultRegionalSettings()) {}

TDataSet::~TDataSet() {
  // Concrete record sources close in their own destructors; here holders
  // of plain references and the data sources are let go, so that none
  // keeps a dangling reference.
  auto notices = std::move(free_notices_);
  free_notices_.clear();
  for (auto& [key, notice] : notices) notice();
  std::vector<TDataSource*> sources = data_sources_;
  for (TDataSource* source : sources) source->SetDataSet(nullptr);
  DestroyFields();
}

void TDataSet::Error(std::string_view message) const { DatabaseError(message, name_); }

void TDataSet::CheckActive() const {
  if (state_ == TDataSetState::Closed) Error(kDataSetClosed);
}

void TDataSet::DoEvent(const TDataSetNotifyEvent& handler) {
  if (handler) handler(*this);
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(TDataEvent::StateSwitched, 0);
}

// --- Lifecycle ---------------------------------------------------------------

void TDataSet::Open() {
  if (Active()) return;
  DoEvent(BeforeOpen);
  try {
    default_fields_ = fields_.empty();
    CreateFieldsFrom(InternalOpen());
    view_.reset();
    if (FilterActive()) view_ = ScanFilter(filter_, on_filter_record_);
    capacity_ = ComputeCapacity();
    ClearWindow();
    if (FetchNext()) {
      bof_ = eof_ = false;
      current_ = 0;
      FetchNextRecords();
    }
    bof_ = true;
  } catch (...) {
    ClearWindow();
    DestroyFields();
    view_.reset();
    capacity_ = 0;
    try {
      InternalClose();
    } catch (...) {
    }
    throw;
  }
  SetState(TDataSetState::Browsing);
  DoEvent(AfterOpen);
}

void TDataSet::Close() {
  if (!Active()) return;
  DoEvent(BeforeClose);
  SetState(TDataSetState::Closed);
  ClearWindow();
  edit_buffer_.clear();
  edit_changed_.clear();
  DestroyFields();
  view_.reset();
  capacity_ = 0;
  InternalClose();
  DoEvent(AfterClose);
}

void TDataSet::CreateFieldsFrom(const std::vector<provider::ColumnInfo>& columns) {
  DestroyFields();
  std::vector<std::string> names;
  for (size_t i = 0; i < columns.size(); ++i) {
    const provider::ColumnInfo& c = columns[i];
    std::string name = c.name;
    auto taken = [&](const std::string& n) {
      return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
        return text::EqualsIgnoreCase(other, n);
      });
    };
    for (int n = 1; name.empty() || taken(name); ++n) {
      name = c.name.empty() ? Format("COLUMN%d", n) : Format("%s_%d", c.name.c_str(), n);
    }
    std::unique_ptr<TField> field = CreateField(c);
    if (!field) Error(Format(kUnknownFieldType, name.c_str()));
    BindField(*field, this, static_cast<int>(i), name);
    names.push_back(name);
    fields_.push_back(std::move(field));
  }
}

void TDataSet::DestroyFields() {
  // Fields go one by one so that observers of later fields still find the
  // earlier ones gone and the later ones intact.
  while (!fields_.empty()) fields_.pop_back();
}

TField* TDataSet::FindField(std::string_view name) const {
  for (const auto& f : fields_) {
    if (text::EqualsIgnoreCase(f->FieldName(), name)) return f.get();
  }
  return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) Error(Format(kFieldNotFound, std::string(name).c_str()));
  return *f;
}

// --- Window ------------------------------------------------------------------

int TDataSet::ComputeCapacity() const {
  int capacity = 1;
  for (TDataSource* source : data_sources_) {
    for (TDataLink* link : source->DataLinks()) capacity = std::max(capacity, link->WindowSize());
  }
  return capacity;
}

void TDataSet::ClearWindow() {
  window_.clear();
  current_ = 0;
  bof_ = eof_ = true;
}

bool TDataSet::FetchNext() {
  // A record being inserted stands before the record at its position.
  int64_t position = window_.empty()           ? 0
                     : window_.back().inserted ? window_.back().position
                                               : window_.back().position + 1;
  if (position >= ViewCount()) return false;
  Record r{position, ViewFetch(position)};
  if (static_cast<int>(window_.size()) >= capacity_) {
    window_.pop_front();
    if (current_ > 0) --current_;
  }
  window_.push_back(std::move(r));
  return true;
}

bool TDataSet::FetchPrior() {
  int64_t position = window_.empty() ? ViewCount() - 1 : window_.front().position - 1;
  if (position < 0) return false;
  Record r{position, ViewFetch(position)};
  if (static_cast<int>(window_.size()) >= capacity_) window_.pop_back();
  window_.push_front(std::move(r));
  return true;
}

void TDataSet::FetchNextRecords() {
  while (static_cast<int>(window_.size()) < capacity_ && FetchNext()) {
  }
}

void TDataSet::Resync(int64_t position, int before) {
  ClearWindow();
  if (position < 0 || position >= ViewCount()) return;
  Record r{position, ViewFetch(position)};
  window_.push_back(std::move(r));
  bof_ = eof_ = false;
  int fetched = 0;
  while (fetched < before && static_cast<int>(window_.size()) < capacity_ && FetchPrior()) {
    ++fetched;
  }
  current_ = fetched;
  FetchNextRecords();
}

void TDataSet::UpdateWindowCapacity() {
  if (!Active()) return;
  int capacity = ComputeCapacity();
  if (capacity == capacity_) return;
  if (capacity < capacity_ && !window_.empty()) {
    // Drop records before the current one, no more than any link's slice
    // allows, but enough that the current record stays in the window.
    int drop = current_;
    for (TDataSource* source : data_sources_) {
      for (TDataLink* link : source->DataLinks()) drop = std::min(drop, link->window_top_);
    }
    drop = std::max(drop, current_ - capacity + 1);
    for (int i = 0; i < drop; ++i) window_.pop_front();
    current_ -= drop;
    // The record being edited or inserted moves with the others.
    edit_index_ = std::max(0, edit_index_ - drop);
    for (TDataSource* source : data_sources_) {
      for (TDataLink* link : source->DataLinks()) {
        link->window_top_ = std::max(0, link->window_top_ - drop);
      }
    }
    while (static_cast<int>(window_.size()) > capacity) window_.pop_back();
  }
  capacity_ = capacity;
  FetchNextRecords();
  // Near the end there is nothing more to load after the window: the room
  // left goes to the records before it, or a taller grid would show empty
  // rows under the last record until the next move. Every slice keeps the
  // records it had; the links clamp their slices afterwards.
  while (!window_.empty() && static_cast<int>(window_.size()) < capacity_ && FetchPrior()) {
    ++current_;
    ++edit_index_;
    for (TDataSource* source : data_sources_) {
      for (TDataLink* link : source->DataLinks()) ++link->window_top_;
    }
  }
}

void TDataSet::SetCurrentIndex(int index) {
  if (index >= 0 && index < static_cast<int>(window_.size())) current_ = index;
}

// --- Moves ---------------------------------------------------------------------

int TDataSet::MoveBy(int n) {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  int moved = 0;
  if ((n > 0 && !eof_) || (n < 0 && !bof_)) {
    bof_ = eof_ = false;
    const size_t old_loaded = window_.size();
    int shift = 0;
    std::exception_ptr failure;
    try {
      while (n > 0) {
        if (current_ < static_cast<int>(window_.size()) - 1) {
          ++current_;
        } else {
          const bool full = static_cast<int>(window_.size()) >= capacity_;
          if (!FetchNext()) {
            eof_ = true;
            break;
          }
          if (full) --shift;
          current_ = static_cast<int>(window_.size()) - 1;
        }
        --n;
        ++moved;
      }
      while (n < 0) {
        if (current_ > 0) {
          --current_;
        } else {
          const bool full = static_cast<int>(window_.size()) >= capacity_;
          if (!FetchPrior()) {
            bof_ = true;
            break;
          }
          if (full) ++shift;
          current_ = 0;
        }
        ++n;
        --moved;
      }
    } catch (...) {
      failure = std::current_exception();
    }
    if (window_.size() != old_loaded) {
      DataEvent(TDataEvent::WindowReloaded, 0);
    } else {
      DataEvent(TDataEvent::WindowScrolled, shift);
    }
    DoEvent(AfterScroll);
    if (failure) std::rethrow_exception(failure);
  }
  return moved;
}

void TDataSet::First() {
  CheckBrowseMode();
  ReloadFromFirst();
}

void TDataSet::ReloadFromFirst() {
  DoEvent(BeforeScroll);
  ClearWindow();
  std::exception_ptr failure;
  try {
    if (FetchNext()) {
      bof_ = eof_ = false;
      FetchNextRecords();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  current_ = 0;
  bof_ = true;
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterScroll);
  if (failure) std::rethrow_exception(failure);
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ClearWindow();
  std::exception_ptr failure;
  try {
    if (FetchPrior()) {
      bof_ = eof_ = false;
      while (static_cast<int>(window_.size()) < capacity_ && FetchPrior()) {
      }
    }
  } catch (...) {
    failure = std::current_exception();
  }
  current_ = std::max(0, static_cast<int>(window_.size()) - 1);
  eof_ = true;
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterScroll);
  if (failure) std::rethrow_exception(failure);
}

int TDataSet::RecordCount() const {
  CheckActive();
  return static_cast<int>(std::min<int64_t>(ViewCount(), INT32_MAX));
}

int TDataSet::RecNo() const {
  CheckActive();
  if (IsEmpty() || state_ == TDataSetState::Inserting) return -1;
  return static_cast<int>(window_[current_].position + 1);
}

void TDataSet::SetRecNo(int n) {
  CheckBrowseMode();
  const int64_t count = ViewCount();
  if (count == 0) return;
  n = static_cast<int>(std::clamp<int64_t>(n, 1, count));
  if (n == RecNo()) return;
  DoEvent(BeforeScroll);
  std::exception_ptr failure;
  try {
    Resync(n - 1, (capacity_ - 1) / 2);
  } catch (...) {
    failure = std::current_exception();
  }
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterScroll);
  if (failure) std::rethrow_exception(failure);
}

TBookmark TDataSet::GetBookmark() const {
  if (!Active() || IsEmpty() || window_[current_].inserted) return -1;
  return window_[current_].position;
}

void TDataSet::GotoBookmark(TBookmark bookmark) {
  CheckBrowseMode();
  if (bookmark < 0 || bookmark >= ViewCount()) return;
  DoEvent(BeforeScroll);
  std::exception_ptr failure;
  try {
    Resync(bookmark, (capacity_ - 1) / 2);
  } catch (...) {
    failure = std::current_exception();
  }
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterScroll);
  if (failure) std::rethrow_exception(failure);
}

bool TDataSet::CanModify() const { return Active() && InternalCanModify(); }

// --- Editing -------------------------------------------------------------------

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(TDataEvent::SettleEdits, 0);
  if (state_ == TDataSetState::Editing || state_ == TDataSetState::Inserting) {
    DataEvent(TDataEvent::CollectEdits, 0);
    if (modified_) {
      Post();
    } else {
      Cancel();
    }
  }
}

void TDataSet::Edit() {
  if (state_ == TDataSetState::Editing || state_ == TDataSetState::Inserting) return;
  CheckBrowseMode();
  if (!CanModify()) Error(kDataSetReadOnly);
  if (IsEmpty()) Error(kDataSetEmpty);
  DoEvent(BeforeEdit);
  edit_index_ = current_;
  edit_buffer_ = window_[current_].values;
  edit_changed_.assign(edit_buffer_.size(), false);
  SetState(TDataSetState::Editing);
  DataEvent(TDataEvent::RecordEdited, 0);
  DoEvent(AfterEdit);
}

void TDataSet::Post() {
  CheckActive();
  if (state_ != TDataSetState::Editing && state_ != TDataSetState::Inserting) Error(kNotEditing);
  DataEvent(TDataEvent::CollectEdits, 0);
  DataEvent(TDataEvent::SettleEdits, 0);
  DoEvent(BeforePost);
  current_ = edit_index_;
  provider::RowChanges changes;
  for (size_t i = 0; i < edit_changed_.size(); ++i) {
    if (edit_changed_[i]) changes.emplace_back(i, edit_buffer_[i]);
  }
  int64_t position = window_[current_].position;
  if (state_ == TDataSetState::Inserting) {
    // A new record is stored even when no field was given a value.
    const int64_t row = InternalInsert(changes);
    if (view_) view_->push_back(row);
    position = view_ ? ViewCount() - 1 : row;
  } else if (!changes.empty()) {
    InternalPost(ResultPosition(position), changes);
  }
  edit_buffer_.clear();
  edit_changed_.clear();
  SetState(TDataSetState::Browsing);
  Resync(position, current_);
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterPost);
}

void TDataSet::Cancel() {
  if (state_ != TDataSetState::Editing && state_ != TDataSetState::Inserting) return;
  const bool inserting = state_ == TDataSetState::Inserting;
  DataEvent(TDataEvent::SettleEdits, 0);
  DoEvent(BeforeCancel);
  if (inserting) DoEvent(BeforeScroll);
  current_ = edit_index_;
  // A dropped new record gives its place back to the record it stood
  // before (the last one when it was appended).
  const int64_t position = inserting ? std::min(window_[current_].position, ViewCount() - 1)
                                     : window_[current_].position;
  edit_buffer_.clear();
  edit_changed_.clear();
  SetState(TDataSetState::Browsing);
  Resync(position, current_);
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterCancel);
  if (inserting) DoEvent(AfterScroll);
}

void TDataSet::Insert() { BeginInsert(/*append=*/false); }

void TDataSet::Append() { BeginInsert(/*append=*/true); }

void TDataSet::BeginInsert(bool append) {
  CheckBrowseMode();
  if (!CanModify()) Error(kDataSetReadOnly);
  DoEvent(BeforeInsert);
  DoEvent(BeforeScroll);
  Record fresh{0, std::vector<provider::Variant>(fields_.size()), true};
  if (append) {
    // The window ends with the last records and the new one after them.
    ClearWindow();
    if (capacity_ > 1 && FetchPrior()) {
      while (static_cast<int>(window_.size()) < capacity_ - 1 && FetchPrior()) {
      }
    }
    fresh.position = ViewCount();
    window_.push_back(std::move(fresh));
    current_ = static_cast<int>(window_.size()) - 1;
    bof_ = false;
    eof_ = true;
  } else if (window_.empty()) {
    window_.push_back(std::move(fresh));
    current_ = 0;
  } else {
    fresh.position = window_[current_].position;
    window_.insert(window_.begin() + current_, std::move(fresh));
    if (static_cast<int>(window_.size()) > capacity_) window_.pop_back();
  }
  edit_index_ = current_;
  edit_buffer_ = window_[current_].values;
  edit_changed_.assign(edit_buffer_.size(), false);
  SetState(TDataSetState::Inserting);
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterInsert);
  DoEvent(AfterScroll);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::Inserting) {
    Cancel();
    return;
  }
  if (IsEmpty()) Error(kDataSetEmpty);
  if (!CanModify()) Error(kDataSetReadOnly);
  // Handlers of the delete must see the record as stored, not a change
  // that is about to be thrown away with it.
  if (state_ == TDataSetState::Editing) {
    Cancel();
  } else {
    DataEvent(TDataEvent::SettleEdits, 0);
  }
  DoEvent(BeforeDelete);
  DoEvent(BeforeScroll);
  const int64_t position = window_[current_].position;
  const int64_t row = ResultPosition(position);
  InternalDelete(row);
  if (view_) {
    view_->erase(view_->begin() + position);
    for (int64_t& r : *view_) {
      if (r > row) --r;
    }
  }
  Resync(std::min(position, ViewCount() - 1), current_);
  DataEvent(TDataEvent::WindowReloaded, 0);
  DoEvent(AfterDelete);
  DoEvent(AfterScroll);
}

int64_t TDataSet::InternalInsert(const provider::RowChanges& /*values*/) {
  Error("Records cannot be added to this dataset");
}

void TDataSet::InternalDelete(int64_t /*position*/) {
  Error("Records cannot be deleted from this dataset");
}

const provider::Variant& TDataSet::ReadField(int index) const {
  static const provider::Variant kNull;
  if (state_ == TDataSetState::Filtering) {
    if (!filter_record_ || index >= static_cast<int>(filter_record_->size())) return kNull;
    return (*filter_record_)[index];
  }
  if (state_ == TDataSetState::Closed) return kNull;
  if ((state_ == TDataSetState::Editing || state_ == TDataSetState::Inserting) &&
      index < static_cast<int>(edit_buffer_.size()) && current_ == edit_index_) {
    return edit_buffer_[index];
  }
  if (IsEmpty()) return kNull;
  const std::vector<provider::Variant>& values = window_[current_].values;
  return index < static_cast<int>(values.size()) ? values[index] : kNull;
}

void TDataSet::WriteField(TField& field, provider::Variant value) {
  if (state_ != TDataSetState::Editing && state_ != TDataSetState::Inserting) Error(kNotEditing);
  if (field.ReadOnly()) {
    throw EDatabaseError(Format("Field '%s' cannot be modified", field.DisplayName().c_str()));
  }
  current_ = edit_index_;
  const size_t i = static_cast<size_t>(field.Index());
  edit_buffer_.at(i) = std::move(value);
  edit_changed_.at(i) = true;
  DataEvent(TDataEvent::FieldEdited, reinterpret_cast<TDataEventInfo>(&field));
}

// --- Notifications ---------------------------------------------------------------

void TDataSet::DisableControls() {
  if (disable_count_ == 0) {
    disable_state_ = state_;
    enable_event_ = TDataEvent::WindowReloaded;
    closed_while_disabled_ = false;
  }
  ++disable_count_;
}

void TDataSet::EnableControls() {
  if (disable_count_ == 0) return;
  if (--disable_count_ > 0) return;
  if (state_ != disable_state_) DataEvent(TDataEvent::StateSwitched, 0);
  if (disable_state_ != TDataSetState::Closed && state_ != TDataSetState::Closed) {
    // Closed and reopened meanwhile: the fields are new, so links must
    // rebuild their layout rather than merely reload rows.
    DataEvent(closed_while_disabled_ ? TDataEvent::LayoutReshaped : enable_event_, 0);
  }
}

void TDataSet::DataEvent(TDataEvent event, TDataEventInfo info) {
  bool notify = !(ControlsDisabled() || state_ == TDataSetState::BlockReading);
  switch (event) {
    case TDataEvent::FieldEdited:
      modified_ = true;
      break;
    case TDataEvent::LayoutReshaped:
      if (ControlsDisabled()) enable_event_ = TDataEvent::LayoutReshaped;
      break;
    case TDataEvent::StateSwitched:
      if (ControlsDisabled()) {
        event = TDataEvent::SilentStateSwitch;
        info = state_ != TDataSetState::Closed ? 1 : 0;
        notify = true;
        if (state_ == TDataSetState::Closed) closed_while_disabled_ = true;
      }
      break;
    default:
      break;
  }
  if (!notify) return;
  std::vector<TDataSource*> sources = data_sources_;
  for (TDataSource* source : sources) source->DataEvent(event, info);
}

}  // namespace data
