#include "data/data_source.h"

#include <algorithm>

#include "data/data_link.h"
#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

TDataSource::TDataSource(std::string name) : name_(std::move(name)) {}

TDataSource::~TDataSource() {
  destroying_ = true;
  // Links are let go directly: a link with a fixed data source must not
  // fail here.
  std::vector<TDataLink*> links = links_;
  links_.clear();
  for (TDataLink* link : links) {
    link->data_source_ = nullptr;
    link->UpdateState();
  }
  SetDataSet(nullptr);
}

bool TDataSource::IsLinkedTo(const TDataSet* dataset) const {
  // Walk the masters of `dataset`: a chain that reaches this data source
  // would feed the record source from itself.
  // A chain that already loops elsewhere ends the walk.
  std::vector<const TDataSet*> seen;
  for (const TDataSet* d = dataset; d != nullptr;) {
    if (std::find(seen.begin(), seen.end(), d) != seen.end()) return false;
    seen.push_back(d);
    TDataSource* master = d->MasterSource();
    if (master == nullptr) return false;
    if (master == this) return true;
    d = master->DataSet();
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (dataset && IsLinkedTo(dataset)) DatabaseError(kCircularDataLink, name_);
  if (dataset_) {
    TDataSet* old = dataset_;
    auto& list = old->data_sources_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    old->UpdateWindowCapacity();
    // Links let go of the old record source (its fields and records) before
    // they see the new one, even when both are open.
    dataset_ = nullptr;
    UpdateState();
  }
  dataset_ = dataset;
  if (dataset_) {
    dataset_->data_sources_.push_back(this);
    dataset_->UpdateWindowCapacity();
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateState();
}

void TDataSource::Edit() {
  if (auto_edit_ && state_ == TDataSetState::Browsing && dataset_) dataset_->Edit();
}

void TDataSource::UpdateState() {
  SetState(enabled_ && dataset_ ? dataset_->State() : TDataSetState::Closed);
}

void TDataSource::SetState(TDataSetState state) {
  if (state_ == state) return;
  const TDataSetState prior = state_;
  state_ = state;
  NotifyLinks(TDataEvent::StateSwitched, 0);
  if (destroying_) return;
  if (OnStateChange) OnStateChange(*this);
  if (prior == TDataSetState::Closed && OnDataChange) OnDataChange(*this, nullptr);
}

void TDataSource::NotifyLinks(TDataEvent event, TDataEventInfo info) {
  // Links that are not visual controls first, then the visual ones; the
  // most recently attached first within each pass.
  std::vector<TDataLink*> links = links_;
  for (bool visual : {false, true}) {
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
      TDataLink* link = *it;
      if (link->VisualControl() != visual) continue;
      if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
      link->DataEvent(event, info);
    }
  }
}

void TDataSource::DataEvent(TDataEvent event, TDataEventInfo info) {
  if (event == TDataEvent::StateSwitched) {
    UpdateState();
    return;
  }
  if (state_ == TDataSetState::Closed) return;
  NotifyLinks(event, info);
  switch (event) {
    case TDataEvent::FieldEdited:
      if (OnDataChange) OnDataChange(*this, reinterpret_cast<TField*>(info));
      break;
    case TDataEvent::RecordEdited:
    case TDataEvent::WindowReloaded:
    case TDataEvent::WindowScrolled:
    case TDataEvent::LayoutReshaped:
      if (OnDataChange) OnDataChange(*this, nullptr);
      break;
    case TDataEvent::CollectEdits:
      if (OnUpdateData) OnUpdateData(*this);
      break;
    default:
      break;
  }
}

void TDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
  if (dataset_) dataset_->UpdateWindowCapacity();
}

void TDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  if (dataset_) dataset_->UpdateWindowCapacity();
}

}  // namespace data
