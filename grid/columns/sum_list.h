// The summary list: sums, averages and counts over every record of a record
// source, for the grid's footers. While active it hooks the record source's
// events (keeping and chaining the handlers that were there before), makes a
// full pass on open, updates incrementally on edit, insert, post and delete,
// resets on close and recomputes when the source's filter changed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid/base/data_access.h"
#include "grid/columns/fixed_point.h"

namespace grid {

class ColumnHost;
class TSumCollection;

// The record source's handlers that were installed before the list hooked
// its own; called from the list's handlers and put back when it unhooks.
struct SavedDataSetEvents {
  TDataSetNotifyEvent after_cancel, after_close, after_edit, after_insert, after_open, after_post,
      after_scroll, before_delete, master_after_scroll;
};
class TSumListProducer;

enum class TGroupOperation { goSum, goAvg, goCount };

class TSumItem {
 public:
  explicit TSumItem(TSumCollection& collection) : collection_(collection) {}

  // Field summarised; empty for a count. Assigning a different value makes
  // the list recalculate.
  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(const std::string& value);
  TGroupOperation GroupOperation() const { return group_operation_; }
  void SetGroupOperation(TGroupOperation value);

  // A count, or a sum or average that names a field: takes part in passes
  // and incremental updates.
  bool Participates() const {
    return group_operation_ == TGroupOperation::goCount || !field_name_.empty();
  }

  TFixed PreEditValue = 0;
  int NonNullCount = 0;
  TFixed RunningTotal = 0;
  std::optional<double> PreEditVariant;  // nullopt stands for a null value
  TFixed ResultValue = 0;

 private:
  TSumCollection& collection_;
  std::string field_name_;
  TGroupOperation group_operation_ = TGroupOperation::goSum;
};

class TSumCollection {
 public:
  explicit TSumCollection(TSumListProducer& owner) : owner_(owner) {}
  ~TSumCollection();

  TSumListProducer& Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TSumItem& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }

  // Adds a summary (sum over no field) and notifies the list.
  TSumItem& Add();
  // Destroys `item` and notifies the list; nothing when it is not ours.
  void Remove(TSumItem* item);

  // The first summary with this operation whose FieldName equals `field_name`
  // ignoring letter case; none when there is none.
  TSumItem* FindSummary(TGroupOperation operation, const std::string& field_name);

  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  // A summary or the set changed: the list recalculates, once at the end of
  // a bulk update.
  void Changed();

 private:
  TSumListProducer& owner_;
  std::vector<std::unique_ptr<TSumItem>> items_;
  int update_count_ = 0;
  bool destroying_ = false;
};

class TSumListProducer {
 public:
  using Notify = std::function<void(TSumListProducer&)>;

  TSumListProducer();
  // Unhooks without resetting; the summaries go with the collection.
  virtual ~TSumListProducer();
  TSumListProducer(const TSumListProducer&) = delete;
  TSumListProducer& operator=(const TSumListProducer&) = delete;

  // Takes over another list's settings (Active, ExternalRecalc,
  // VirtualRecords); its summaries and record source stay its own.
  void Assign(const TSumListProducer& other);

  TSumCollection& SumCollection() { return collection_; }
  TSumItem* FindSummary(TGroupOperation op, const std::string& field_name) {
    return collection_.FindSummary(op, field_name);
  }

  bool Active() const { return active_; }
  void SetActive(bool value);
  bool ExternalRecalc() const { return external_recalc_; }
  void SetExternalRecalc(bool value);
  bool VirtualRecords() const { return virtual_records_; }
  void SetVirtualRecords(bool value);
  bool Hooked() const { return hooked_; }
  bool Recalculating() const { return recalculating_; }

  TDataSet* RecordSource() const { return record_source_; }
  // Re-binds to another record source (or none), re-hooking when active.
  // A record source destroyed while bound is forgotten (its handlers are
  // not put back) and the list then has none.
  void SetRecordSource(TDataSet* source);
  // The owner finished loading: an active list over a source hooks now.
  void OwnerLoaded();

  void ActivateSummaries(bool recalculate);
  void DeactivateSummaries(bool reset);

  // Zeroes every summary, then SumListChanged.
  virtual void ResetSummaryValues();
  // One pass over all records (when any summary needs it), then
  // SumListChanged. Leaves the record source on its first record.
  virtual void RecalculateAll();

  // Record numbering for a vertical scroll bar; forwarded to the source.
  virtual bool IsSequenced();
  virtual int RecordCount();
  virtual int RecNo();
  virtual void SetRecNo(int value);

  Notify OnRecalcAll;
  Notify OnAfterRecalcAll;
  Notify SumListChanged;

 protected:
  // The owner is being loaded from its stored form, or destroyed: no passes.
  virtual bool OwnerLoading() const { return false; }
  virtual bool OwnerDestroying() const { return false; }
  virtual bool DesignMode() const { return false; }

  virtual void HookRecordSourceEvents();
  virtual void UnhookRecordSourceEvents();

  // The handlers installed on the record source.
  virtual void DoAfterOpen(TDataSet& source);
  virtual void DoAfterClose(TDataSet& source);
  virtual void DoAfterScroll(TDataSet& source);
  virtual void DoAfterEdit(TDataSet& source);
  virtual void DoAfterInsert(TDataSet& source);
  virtual void DoAfterPost(TDataSet& source);
  virtual void DoBeforeDelete(TDataSet& source);
  virtual void DoAfterCancel(TDataSet& source);
  virtual void DoMasterAfterScroll(TDataSet& master);

  void SetHooked(bool value) { hooked_ = value; }
  bool work_at_design_time_ = false;

 private:
  friend class TSumCollection;
  void CollectionChanged();
  void SendChanged();
  // Keeps record_source_ (and master_) from dangling: the list forgets a
  // record source that is destroyed while it still refers to it.
  void SetSourceReference(TDataSet* source);
  void SetMasterReference(TDataSet* master);
  void RecordSourceDestroyed();
  double FieldValue(const std::string& name, bool* is_null);

  TSumCollection collection_;
  bool active_ = true;
  bool external_recalc_ = false;
  bool virtual_records_ = false;
  bool recalculating_ = false;
  bool hooked_ = false;
  TDataSet* record_source_ = nullptr;
  TDataSet* master_ = nullptr;
  bool filtered_snapshot_ = false;
  std::string filter_snapshot_;
  // A handler that decides which records pass changes neither the flag nor
  // the text; the record source counts every change of its filter.
  uint64_t filter_changes_snapshot_ = 0;
  SavedDataSetEvents saved_;
};

// The grid's summary list: starts inactive and asks the grid whether it is
// being loaded or destroyed.
class TDataGridSumList : public TSumListProducer {
 public:
  explicit TDataGridSumList(ColumnHost& host);
  ~TDataGridSumList() override;

 protected:
  bool OwnerLoading() const override;
  bool OwnerDestroying() const override;
  void HookRecordSourceEvents() override;
  void UnhookRecordSourceEvents() override;

 private:
  ColumnHost& host_;
};

}  // namespace grid
