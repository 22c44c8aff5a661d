#include "grid/columns/sum_list.h"

#include <algorithm>

#include "grid/columns/column_host.h"
#include "text/case_fold.h"

namespace grid {

// --- Summaries -------------------------------------------------------------------

void TSumItem::SetFieldName(const std::string& value) {
  if (field_name_ == value) return;
  field_name_ = value;
  collection_.Changed();
}

void TSumItem::SetGroupOperation(TGroupOperation value) {
  if (group_operation_ == value) return;
  group_operation_ = value;
  collection_.Changed();
}

TSumCollection::~TSumCollection() {
  destroying_ = true;
  items_.clear();
}

TSumItem& TSumCollection::Add() {
  items_.push_back(std::make_unique<TSumItem>(*this));
  TSumItem& item = *items_.back();
  Changed();
  return item;
}

void TSumCollection::Remove(TSumItem* item) {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [item](const std::unique_ptr<TSumItem>& p) { return p.get() == item; });
  if (it == items_.end()) return;
  items_.erase(it);
  Changed();
}

TSumItem* TSumCollection::FindSummary(TGroupOperation operation, const std::string& field_name) {
  for (auto& item : items_) {
    if (item->GroupOperation() == operation &&
        text::EqualsIgnoreCase(item->FieldName(), field_name)) {
      return item.get();
    }
  }
  return nullptr;
}

void TSumCollection::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0) Changed();
}

void TSumCollection::Changed() {
  if (update_count_ > 0 || destroying_) return;
  owner_.CollectionChanged();
}

// --- Engine ------------------------------------------------------------------------

TSumListProducer::TSumListProducer() : collection_(*this) {}

TSumListProducer::~TSumListProducer() {
  DeactivateSummaries(/*reset=*/false);
  // Even when the owner's state kept the above from unhooking, nothing on
  // the record source may keep calling into this list.
  TSumListProducer::UnhookRecordSourceEvents();
  SetSourceReference(nullptr);
}

void TSumListProducer::SetSourceReference(TDataSet* source) {
  if (record_source_ == source) return;
  if (record_source_) record_source_->RemoveFreeNotification(this);
  record_source_ = source;
  if (record_source_)
    record_source_->AddFreeNotification(this, [this] { RecordSourceDestroyed(); });
}

void TSumListProducer::SetMasterReference(TDataSet* master) {
  if (master_ == master) return;
  if (master_) master_->RemoveFreeNotification(this);
  master_ = master;
  if (master_) {
    master_->AddFreeNotification(this, [this] {
      // The master goes first: its saved handler goes with it.
      master_ = nullptr;
      saved_.master_after_scroll = nullptr;
    });
  }
}

void TSumListProducer::RecordSourceDestroyed() {
  // Nothing is put back on a record source that is going away; a master
  // that stays gets its own handler back.
  if (master_) master_->AfterScroll = std::move(saved_.master_after_scroll);
  SetMasterReference(nullptr);
  saved_ = SavedDataSetEvents();
  hooked_ = false;
  recalculating_ = false;
  record_source_ = nullptr;  // its notice list is being run and dropped
  ResetSummaryValues();
}

void TSumListProducer::Assign(const TSumListProducer& other) {
  if (&other == this) return;
  SetExternalRecalc(other.external_recalc_);
  SetVirtualRecords(other.virtual_records_);
  SetActive(other.active_);
}

void TSumListProducer::SetActive(bool value) {
  if (value == active_) return;
  if (value) {
    ActivateSummaries(/*recalculate=*/true);
  } else {
    DeactivateSummaries(/*reset=*/true);
  }
}

void TSumListProducer::ActivateSummaries(bool recalculate) {
  active_ = true;
  if (OwnerLoading() || (DesignMode() && !work_at_design_time_)) return;
  HookRecordSourceEvents();
  if (recalculate) RecalculateAll();
}

void TSumListProducer::DeactivateSummaries(bool reset) {
  active_ = false;
  if (OwnerLoading() || (DesignMode() && !work_at_design_time_)) return;
  UnhookRecordSourceEvents();
  if (reset) ResetSummaryValues();
}

void TSumListProducer::SetRecordSource(TDataSet* source) {
  if (source == record_source_) return;
  if (OwnerLoading() || (DesignMode() && !work_at_design_time_)) {
    SetSourceReference(source);
    return;
  }
  bool was_active = active_;
  DeactivateSummaries(/*reset=*/true);
  SetSourceReference(source);
  if (was_active) ActivateSummaries(/*recalculate=*/true);
}

void TSumListProducer::OwnerLoaded() {
  if (record_source_ && active_) ActivateSummaries(/*recalculate=*/true);
}

void TSumListProducer::SetExternalRecalc(bool value) {
  if (value == external_recalc_) return;
  external_recalc_ = value;
  RecalculateAll();
}

void TSumListProducer::SetVirtualRecords(bool value) {
  if (value == virtual_records_) return;
  virtual_records_ = value;
  if (value) RecalculateAll();
}

void TSumListProducer::ResetSummaryValues() {
  for (int i = 0; i < collection_.Count(); ++i) {
    TSumItem& item = collection_[i];
    item.ResultValue = 0;
    item.PreEditValue = 0;
    item.RunningTotal = 0;
    item.NonNullCount = 0;
  }
  SendChanged();
}

void TSumListProducer::SendChanged() {
  if (auto handler = SumListChanged) handler(*this);
}

void TSumListProducer::CollectionChanged() {
  if (OwnerLoading() || OwnerDestroying()) return;
  RecalculateAll();
}

double TSumListProducer::FieldValue(const std::string& name, bool* is_null) {
  TField& field = record_source_->FieldByName(name);
  *is_null = field.IsNull();
  return *is_null ? 0.0 : FieldAsFloat(field);
}

void TSumListProducer::RecalculateAll() {
  if (DesignMode() && !work_at_design_time_) return;
  if (OwnerLoading() || !active_) return;
  if (!record_source_ || !record_source_->Active() || !hooked_) return;
  TDataSet& source = *record_source_;

  // Whatever happens below, the snapshot is taken and the change announced.
  auto finish = [&] {
    filtered_snapshot_ = source.Filtered();
    filter_snapshot_ = source.Filter();
    filter_changes_snapshot_ = source.FilterChanges();
    recalculating_ = false;
    SendChanged();
  };
  try {
    ResetSummaryValues();
    if (auto handler = OnRecalcAll) handler(*this);
    if (!external_recalc_) {
      bool needed = false;
      for (int i = 0; i < collection_.Count(); ++i) needed |= collection_[i].Participates();
      if (needed) {
        source.DisableControls();
        recalculating_ = true;
        try {
          source.First();
          while (!source.Eof()) {
            for (int i = 0; i < collection_.Count(); ++i) {
              TSumItem& item = collection_[i];
              if (!item.Participates()) continue;
              bool is_null = false;
              switch (item.GroupOperation()) {
                case TGroupOperation::goSum: {
                  double v = FieldValue(item.FieldName(), &is_null);
                  if (!is_null) item.ResultValue = FixedAddFloat(item.ResultValue, v);
                  break;
                }
                case TGroupOperation::goAvg: {
                  double v = FieldValue(item.FieldName(), &is_null);
                  if (!is_null) ++item.NonNullCount;
                  item.RunningTotal = FixedAddFloat(item.RunningTotal, v);
                  break;
                }
                case TGroupOperation::goCount:
                  item.ResultValue += kFixedScale;
                  break;
              }
            }
            source.Next();
          }
          source.First();
        } catch (...) {
          // Controls must not stay disabled after a failed pass.
          source.EnableControls();
          throw;
        }
        for (int i = 0; i < collection_.Count(); ++i) {
          TSumItem& item = collection_[i];
          if (item.Participates() && item.GroupOperation() == TGroupOperation::goAvg) {
            item.ResultValue = FixedAverage(item.RunningTotal, item.NonNullCount);
          }
        }
        source.EnableControls();
      }
      if (auto handler = OnAfterRecalcAll) handler(*this);
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// --- Record numbering --------------------------------------------------------------

bool TSumListProducer::IsSequenced() { return record_source_ && record_source_->IsSequenced(); }

int TSumListProducer::RecordCount() { return record_source_ ? record_source_->RecordCount() : 0; }

int TSumListProducer::RecNo() { return record_source_ ? record_source_->RecNo() : -1; }

void TSumListProducer::SetRecNo(int value) {
  if (record_source_) record_source_->SetRecNo(value);
}

// --- Hooks ---------------------------------------------------------------------

void TSumListProducer::HookRecordSourceEvents() {
  if (!record_source_ || hooked_) return;
  TDataSet& source = *record_source_;
  TDataSet* master = nullptr;
  if (TDataSource* master_source = source.MasterSource()) master = master_source->DataSet();
  SetMasterReference(master);

  saved_.after_edit = source.AfterEdit;
  saved_.after_insert = source.AfterInsert;
  saved_.after_open = source.AfterOpen;
  saved_.after_post = source.AfterPost;
  saved_.after_scroll = source.AfterScroll;
  saved_.before_delete = source.BeforeDelete;
  saved_.after_close = source.AfterClose;
  saved_.after_cancel = source.AfterCancel;
  source.AfterEdit = [this](TDataSet& ds) { DoAfterEdit(ds); };
  source.AfterInsert = [this](TDataSet& ds) { DoAfterInsert(ds); };
  source.AfterOpen = [this](TDataSet& ds) { DoAfterOpen(ds); };
  source.AfterPost = [this](TDataSet& ds) { DoAfterPost(ds); };
  source.AfterScroll = [this](TDataSet& ds) { DoAfterScroll(ds); };
  source.BeforeDelete = [this](TDataSet& ds) { DoBeforeDelete(ds); };
  source.AfterClose = [this](TDataSet& ds) { DoAfterClose(ds); };
  source.AfterCancel = [this](TDataSet& ds) { DoAfterCancel(ds); };
  if (master_) {
    saved_.master_after_scroll = master_->AfterScroll;
    master_->AfterScroll = [this](TDataSet& ds) { DoMasterAfterScroll(ds); };
  }
  hooked_ = true;
}

void TSumListProducer::UnhookRecordSourceEvents() {
  if (!record_source_ || !hooked_) return;
  TDataSet& source = *record_source_;
  source.AfterEdit = std::move(saved_.after_edit);
  source.AfterInsert = std::move(saved_.after_insert);
  source.AfterOpen = std::move(saved_.after_open);
  source.AfterPost = std::move(saved_.after_post);
  source.AfterScroll = std::move(saved_.after_scroll);
  source.BeforeDelete = std::move(saved_.before_delete);
  source.AfterClose = std::move(saved_.after_close);
  source.AfterCancel = std::move(saved_.after_cancel);
  if (master_) master_->AfterScroll = std::move(saved_.master_after_scroll);
  saved_ = SavedDataSetEvents();
  SetMasterReference(nullptr);
  hooked_ = false;
}

// --- Handlers --------------------------------------------------------------------

void TSumListProducer::DoAfterOpen(TDataSet& source) {
  if (active_) RecalculateAll();
  if (auto saved = saved_.after_open) saved(source);
}

void TSumListProducer::DoAfterClose(TDataSet& source) {
  if (active_) {
    ResetSummaryValues();
    SendChanged();
    recalculating_ = false;
  }
  if (auto saved = saved_.after_close) saved(source);
}

void TSumListProducer::DoAfterScroll(TDataSet& source) {
  if (auto saved = saved_.after_scroll) saved(source);
  if (!active_ || recalculating_) return;
  bool filtered = source.Filtered();
  if (filtered != filtered_snapshot_ || (filtered && source.Filter() != filter_snapshot_) ||
      source.FilterChanges() != filter_changes_snapshot_) {
    RecalculateAll();
  }
}

void TSumListProducer::DoMasterAfterScroll(TDataSet& master) {
  if (auto saved = saved_.master_after_scroll) saved(master);
  if (active_ && !recalculating_) RecalculateAll();
}

void TSumListProducer::DoAfterEdit(TDataSet& source) {
  if (active_) {
    for (int i = 0; i < collection_.Count(); ++i) {
      TSumItem& item = collection_[i];
      if (!item.Participates()) continue;
      if (item.GroupOperation() == TGroupOperation::goCount) {
        item.PreEditValue = kFixedScale;
        continue;
      }
      bool is_null = false;
      double v = FieldValue(item.FieldName(), &is_null);
      item.PreEditValue = FixedAddFloat(0, v);
      item.PreEditVariant = is_null ? std::nullopt : std::optional<double>(v);
    }
  }
  if (auto saved = saved_.after_edit) saved(source);
}

void TSumListProducer::DoAfterInsert(TDataSet& source) {
  if (active_) {
    for (int i = 0; i < collection_.Count(); ++i) {
      TSumItem& item = collection_[i];
      if (!item.Participates()) continue;
      item.PreEditValue = 0;
      if (item.GroupOperation() != TGroupOperation::goCount) item.PreEditVariant.reset();
    }
  }
  if (auto saved = saved_.after_insert) saved(source);
}

void TSumListProducer::DoAfterPost(TDataSet& source) {
  try {
    if (active_) {
      for (int i = 0; i < collection_.Count(); ++i) {
        TSumItem& item = collection_[i];
        if (!item.Participates()) continue;
        switch (item.GroupOperation()) {
          case TGroupOperation::goSum: {
            bool is_null = false;
            double v = FieldValue(item.FieldName(), &is_null);
            item.ResultValue = FixedAddFloat(item.ResultValue - item.PreEditValue, v);
            break;
          }
          case TGroupOperation::goAvg: {
            bool is_null = false;
            double v = FieldValue(item.FieldName(), &is_null);
            bool was_null = !item.PreEditVariant.has_value();
            if (is_null && !was_null) --item.NonNullCount;
            if (!is_null && was_null) ++item.NonNullCount;
            item.RunningTotal = FixedAddFloat(item.RunningTotal - item.PreEditValue, v);
            item.ResultValue = FixedAverage(item.RunningTotal, item.NonNullCount);
            break;
          }
          case TGroupOperation::goCount:
            item.ResultValue += kFixedScale - item.PreEditValue;
            break;
        }
      }
      SendChanged();
    }
  } catch (...) {
    if (auto saved = saved_.after_post) saved(source);
    throw;
  }
  if (auto saved = saved_.after_post) saved(source);
}

void TSumListProducer::DoBeforeDelete(TDataSet& source) {
  if (auto saved = saved_.before_delete) saved(source);
  if (!active_) return;
  for (int i = 0; i < collection_.Count(); ++i) {
    TSumItem& item = collection_[i];
    if (!item.Participates()) continue;
    switch (item.GroupOperation()) {
      case TGroupOperation::goSum: {
        bool is_null = false;
        double v = FieldValue(item.FieldName(), &is_null);
        item.ResultValue = FixedAddFloat(item.ResultValue, -v);
        break;
      }
      case TGroupOperation::goAvg: {
        bool is_null = false;
        double v = FieldValue(item.FieldName(), &is_null);
        item.RunningTotal = FixedAddFloat(item.RunningTotal, -v);
        if (!is_null) --item.NonNullCount;
        item.ResultValue = FixedAverage(item.RunningTotal, item.NonNullCount);
        break;
      }
      case TGroupOperation::goCount:
        item.ResultValue -= kFixedScale;
        break;
    }
  }
  SendChanged();
}

void TSumListProducer::DoAfterCancel(TDataSet& source) {
  if (auto saved = saved_.after_cancel) saved(source);
}

// The grid's summary list.

TDataGridSumList::TDataGridSumList(ColumnHost& host) : host_(host) {
  work_at_design_time_ = true;
  SetActive(false);
}

TDataGridSumList::~TDataGridSumList() { DeactivateSummaries(/*reset=*/false); }

bool TDataGridSumList::OwnerLoading() const { return host_.Loading(); }

bool TDataGridSumList::OwnerDestroying() const { return host_.Destroying(); }

void TDataGridSumList::HookRecordSourceEvents() { TSumListProducer::HookRecordSourceEvents(); }

void TDataGridSumList::UnhookRecordSourceEvents() { TSumListProducer::UnhookRecordSourceEvents(); }

}  // namespace grid
