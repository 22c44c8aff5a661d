// TDataSet: a record source. It keeps a window of consecutive records in
// memory with a current record inside it, has a state, sends notifications
// to the data sources bound to it and owns its fields.
//
// Concrete record sources (TADOQuery) supply the rows through the cursor
// hooks at the bottom: a result of known size whose records are fetched by
// position. The window holds at most WindowCapacity() decoded records;
// nothing else of the result is kept here.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_event.h"
#include "data/field.h"
#include "data/provider/provider.h"
#include "data/regional.h"

namespace data {

class TDataSource;
class TDataLink;
class TDataSet;

using TDataSetNotifyEvent = std::function<void(TDataSet& dataset)>;
// Decides whether the record being tested (its fields read it) is shown.
using TFilterRecordEvent = std::function<void(TDataSet& dataset, bool& accept)>;
// A saved position: the record's 0-based position among the records shown;
// -1 for none.
using TBookmark = int64_t;

class TDataSet {
 public:
  explicit TDataSet(std::string name);
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;
  virtual ~TDataSet();

  // The component name that prefixes this record source's failures.
  const std::string& Name() const { return name_; }

  // --- Lifecycle ---
  // Opens the result: before-open handler, fields created, window loaded
  // from the first record, state Browsing (StateSwitched), after-open
  // handler. Nothing happens when already open. On failure the state stays
  // Closed and the failure goes on to the caller.
  void Open();
  // Before-close handler, state Closed (StateSwitched), records and fields
  // freed, after-close handler. Nothing happens when closed.
  void Close();
  bool Active() const { return state_ != TDataSetState::Closed; }
  void SetActive(bool active) { active ? Open() : Close(); }
  TDataSetState State() const { return state_; }

  // --- Moves ---
  // Settles a pending edit, then moves the current record by at most `n`
  // records; returns how many it moved (signed). Sends one notification
  // (WindowScrolled with the window's shift, or WindowReloaded when the
  // number of loaded records changed) unless it could not go anywhere.
  int MoveBy(int n);
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Reload the window from the first (last) record; WindowReloaded.
  void First();
  void Last();
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return current_ >= static_cast<int>(window_.size()); }
  // Whether RecNo and RecordCount can be relied upon.
  virtual bool IsSequenced() const { return true; }
  // Records in the whole result. Fails on a closed record source.
  int RecordCount() const;
  // 1-based number of the current record; -1 when empty or inserting.
  int RecNo() const;
  // Goes to record `n` with the window reloaded around it (WindowReloaded),
  // when n differs from the current number.
  void SetRecNo(int n);
  // Whether records may be changed at all.
  bool CanModify() const;

  // --- Editing ---
  // Enters Editing (SettleEdits, StateSwitched, RecordEdited). Fails with
  // "Cannot modify a read-only dataset" when records cannot be changed.
  void Edit();
  // Stores the current record: CollectEdits, SettleEdits, before-post,
  // the row stored, state Browsing, WindowReloaded, after-post. Fails with
  // "Dataset not in edit or insert mode" outside Editing and Inserting;
  // when storing fails the record source stays in Editing.
  void Post();
  // Drops the change in Editing or Inserting; does nothing otherwise.
  // SettleEdits, before-cancel (and before-scroll when inserting), state
  // Browsing, WindowReloaded, after-cancel (and after-scroll).
  void Cancel();
  // Starts a new record before the current one (Insert) or after the last
  // one (Append): the pending edit is settled, before-insert, before-scroll,
  // an empty record enters the window, state Inserting, WindowReloaded,
  // after-insert, after-scroll. Posting adds it after the last record of
  // the result, where it becomes current. Fails with "Cannot modify a
  // read-only dataset" when records cannot be changed.
  void Insert();
  void Append();
  // Removes the current record from the store. While inserting it only
  // cancels the new record; while editing the change is dropped first, so
  // that before-delete handlers see the stored values. SettleEdits,
  // before-delete, before-scroll, the record removed, state Browsing, the
  // window reloaded at the same index (WindowReloaded), after-delete,
  // after-scroll. Fails on an empty or read-only record source; when the
  // store refuses, the record stays and the failure goes to the caller.
  void Delete();
  // Whether a field of the record being edited changed.
  bool Modified() const { return modified_; }
  // Posts a pending change (when modified; cancels otherwise) after telling
  // links to settle theirs. Fails on a closed record source.
  void CheckBrowseMode();

  // --- Notifications ---
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disable_count_ > 0; }
  // Sends one notification to every bound data source (see data_event.h).
  void DataEvent(TDataEvent event, TDataEventInfo info);

  // --- Fields ---
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Field(int index) const { return fields_.at(index).get(); }
  // The field named `name` (letter case ignored); nullptr when missing.
  TField* FindField(std::string_view name) const;
  // As FindField, but fails with "Field '%s' not found".
  TField& FieldByName(std::string_view name) const;
  // True when the fields were made from the result at open.
  bool DefaultFields() const { return default_fields_; }

  // --- Record window ---
  int WindowCapacity() const { return capacity_; }
  int LoadedCount() const { return static_cast<int>(window_.size()); }
  int CurrentIndex() const { return current_; }
  // Makes another loaded record current for reading (links use this to
  // read neighbouring rows and put it back). No notification.
  void SetCurrentIndex(int index);
  // Recomputes WindowCapacity from the links and loads or drops records to
  // fit it; no notification.
  void UpdateWindowCapacity();

  // --- Bound data sources (managed by TDataSource) ---
  const std::vector<TDataSource*>& DataSources() const { return data_sources_; }
  // The data source this record source is fed from (a master); none here.
  virtual TDataSource* MasterSource() const { return nullptr; }
  // --- Filtering ---
  // While Filtered is on, only records that meet the Filter text (see
  // filter_expression.h) and that OnFilterRecord accepts are shown. Turning
  // it on or off, or changing the text or handler while it is on, reloads
  // the window from the first record like First(). A text that does not
  // parse or names a missing field fails and leaves everything as it was.
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& text);
  const TFilterRecordEvent& OnFilterRecord() const { return on_filter_record_; }
  void SetOnFilterRecord(TFilterRecordEvent handler);
  // Counts the times the filter was applied again to an open record source
  // (whatever changed: flag, text or handler), so that observers can tell a
  // new set of records from a plain move.
  uint64_t FilterChanges() const { return filter_changes_; }

  // --- Destruction notices ---
  // `notice` runs when this record source is destroyed, before it lets go
  // of its data sources, so that holders of plain references can forget
  // it. A second call with the same key replaces the first.
  void AddFreeNotification(const void* key, std::function<void()> notice);
  void RemoveFreeNotification(const void* key);

  // --- Bookmarks ---
  TBookmark GetBookmark() const;
  // Goes to a bookmarked record (window reloaded around it).
  void GotoBookmark(TBookmark bookmark);

  // --- Handlers ---
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll,
      BeforeEdit, AfterEdit, BeforeInsert, AfterInsert, BeforePost, AfterPost, BeforeCancel,
      AfterCancel, BeforeDelete, AfterDelete;

  // --- Regional settings for the fields' texts ---
  const RegionalSettings& Regional() const { return regional_; }
  void SetRegional(const RegionalSettings& regional) { regional_ = regional; }

 protected:
  // Cursor hooks. InternalOpen makes the result and returns its columns;
  // the others are called only while the result is open.
  virtual std::vector<provider::ColumnInfo> InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual int64_t InternalRecordCount() const = 0;
  virtual std::vector<provider::Variant> InternalFetch(int64_t position) = 0;
  // Stores the changed columns of the record at `position`.
  virtual void InternalPost(int64_t position, const provider::RowChanges& changes) = 0;
  // Adds a record with `values` after the last one; returns its position.
  // Fails by default: a record source that cannot add records.
  virtual int64_t InternalInsert(const provider::RowChanges& values);
  // Removes the record at `position`; later records move up by one. Fails
  // by default.
  virtual void InternalDelete(int64_t position);
  virtual bool InternalCanModify() const = 0;
  // Sets the component name (used by owners that name later).
  void SetName(std::string name) { name_ = std::move(name); }
  [[noreturn]] void Error(std::string_view message) const;
  void CheckActive() const;

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;

  struct Record {
    // Position among the records shown. A record being inserted stands
    // before the record at this position (the count when appended).
    int64_t position = 0;
    std::vector<provider::Variant> values;
    bool inserted = false;
  };

  void SetState(TDataSetState state);
  void DoEvent(const TDataSetNotifyEvent& handler);
  void CreateFieldsFrom(const std::vector<provider::ColumnInfo>& columns);
  void BeginInsert(bool append);
  bool FilterActive() const;
  // The positions in the result of the records that meet the filter.
  std::vector<int64_t> ScanFilter(const std::string& text, const TFilterRecordEvent& handler);
  // Applies new filter settings: scans when the filter is in force, then
  // reloads from the first record. Nothing changes when it fails.
  void Refilter(bool filtered, const std::string& text, TFilterRecordEvent handler);
  // Records shown: all of the result, or those the filter let through.
  int64_t ViewCount() const;
  int64_t ResultPosition(int64_t position) const;
  std::vector<provider::Variant> ViewFetch(int64_t position);
  void DestroyFields();
  int ComputeCapacity() const;
  // Window filling. Each returns false when no record exists there.
  bool FetchNext();
  bool FetchPrior();
  void FetchNextRecords();
  void FetchPriorRecords();
  // Empties the window and loads it around `position` with the current
  // record at index `before` (as far as records exist before it).
  void Resync(int64_t position, int before);
  // First() after the pending edit was settled.
  void ReloadFromFirst();
  void ClearWindow();
  // Field access for TField.
  const provider::Variant& ReadField(int index) const;
  void WriteField(TField& field, provider::Variant value);

  std::string name_;
  TDataSetState state_ = TDataSetState::Closed;
  std::vector<std::unique_ptr<TField>> fields_;
  bool default_fields_ = true;
  std::deque<Record> window_;
  int capacity_ = 0;
  int current_ = 0;
  bool bof_ = false;
  bool eof_ = false;
  bool modified_ = false;
  std::vector<provider::Variant> edit_buffer_;
  std::vector<bool> edit_changed_;
  int edit_index_ = 0;  // window index of the record being edited
  int disable_count_ = 0;
  TDataSetState disable_state_ = TDataSetState::Closed;
  TDataEvent enable_event_ = TDataEvent::WindowReloaded;
  bool closed_while_disabled_ = false;
  std::vector<TDataSource*> data_sources_;
  bool filtered_ = false;
  std::string filter_;
  TFilterRecordEvent on_filter_record_;
  uint64_t filter_changes_ = 0;
  // While a filter is in force: result positions of the records shown.
  std::optional<std::vector<int64_t>> view_;
  const std::vector<provider::Variant>* filter_record_ = nullptr;
  std::vector<std::pair<const void*, std::function<void()>>> free_notices_;
  RegionalSettings regional_;
};

}  // namespace data
