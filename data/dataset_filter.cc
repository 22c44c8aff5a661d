// The record source's filter: which records of the result are shown, and
// the notices it sends when it is destroyed.
#include <algorithm>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/filter_expression.h"

namespace data {

// --- Filtering -------------------------------------------------------------------

bool TDataSet::FilterActive() const { return filtered_ && (!filter_.empty() || on_filter_record_); }

int64_t TDataSet::ViewCount() const {
  return view_ ? static_cast<int64_t>(view_->size()) : InternalRecordCount();
}

int64_t TDataSet::ResultPosition(int64_t position) const {
  return view_ ? view_->at(static_cast<size_t>(position)) : position;
}

std::vector<provider::Variant> TDataSet::ViewFetch(int64_t position) {
  return InternalFetch(ResultPosition(position));
}

std::vector<int64_t> TDataSet::ScanFilter(const std::string& text,
                                          const TFilterRecordEvent& handler) {
  std::vector<std::string> names;
  for (const auto& f : fields_) names.push_back(f->FieldName());
  FilterExpression condition;
  try {
    condition = FilterExpression::Parse(text, names);
  } catch (const EDatabaseError& e) {
    Error(e.what());
  }
  // The handler reads the candidate through the fields, in a state of its
  // own that no notification announces.
  struct Restore {
    TDataSet& ds;
    TDataSetState state;
    ~Restore() {
      ds.state_ = state;
      ds.filter_record_ = nullptr;
    }
  } restore{*this, state_};
  state_ = TDataSetState::Filtering;
  std::vector<int64_t> shown;
  const int64_t count = InternalRecordCount();
  for (int64_t row = 0; row < count; ++row) {
    const std::vector<provider::Variant> values = InternalFetch(row);
    bool accept = condition.Matches(values);
    if (accept && handler) {
      filter_record_ = &values;
      handler(*this, accept);
      filter_record_ = nullptr;
    }
    if (accept) shown.push_back(row);
  }
  return shown;
}

void TDataSet::Refilter(bool filtered, const std::string& text, TFilterRecordEvent handler) {
  const bool was_active = FilterActive();
  const bool active = filtered && (!text.empty() || handler);
  if (!Active() || (!was_active && !active)) {
    filtered_ = filtered;
    filter_ = text;
    on_filter_record_ = std::move(handler);
    return;
  }
  CheckBrowseMode();
  std::optional<std::vector<int64_t>> view;
  if (active) view = ScanFilter(text, handler);
  // From here on nothing fails before the new settings are in place.
  filtered_ = filtered;
  filter_ = text;
  on_filter_record_ = std::move(handler);
  view_ = std::move(view);
  ++filter_changes_;
  ReloadFromFirst();
}

void TDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  Refilter(filtered, filter_, on_filter_record_);
}

void TDataSet::SetFilter(const std::string& text) {
  if (text == filter_) return;
  Refilter(filtered_, text, on_filter_record_);
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent handler) {
  Refilter(filtered_, filter_, std::move(handler));
}

// --- Destruction notices -----------------------------------------------------------

void TDataSet::AddFreeNotification(const void* key, std::function<void()> notice) {
  RemoveFreeNotification(key);
  free_notices_.emplace_back(key, std::move(notice));
}

void TDataSet::RemoveFreeNotification(const void* key) {
  std::erase_if(free_notices_, [key](const auto& entry) { return entry.first == key; });
}

}  // namespace data
