// TDataLink: a control's view of a data source. It receives every
// notification the data source relays, keeps its own slice (WindowTop,
// WindowSize) over the record source's window, and turns notifications
// into calls of its virtual reactions, which controls override.
//
// Reactions, called only while the link is live unless noted:
//   LiveChanged       Live() changed (also when it became false)
//   EditingChanged    LinkEditing() changed
//   WindowReloaded    the window was rebuilt
//   WindowScrolled    the window moved; `distance` is the shift of this
//                     link's slice (positive: the current record went past
//                     the bottom of the slice)
//   LayoutReshaped    the fields changed; by default WindowReloaded()
//   RecordEdited      a field (or the whole record when null) changed;
//                     not called while WritingBack()
//   FocusField        a field asks to be focused
//   WriteBack         write pending values into the record (CollectEdits)
//   SettleEdits       an edit is about to be left
//   SilentStateSwitch the state changed while notifications were disabled
#pragma once

#include "data/data_event.h"

namespace data {

class TDataSource;
class TDataSet;
class TField;

class TDataLink {
 public:
  TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  // Detaches from the data source.
  virtual ~TDataLink();

  TDataSource* DataSource() const { return data_source_; }
  // Detaches from the old data source and attaches to `source` (appended
  // to its links). Fails with "DataSource cannot be changed" when fixed.
  void SetDataSource(TDataSource* source);
  bool DataSourceFixed() const { return data_source_fixed_; }
  void SetDataSourceFixed(bool fixed) { data_source_fixed_ = fixed; }
  // The record source behind the data source, or nullptr.
  TDataSet* DataSet() const;

  bool Live() const { return live_; }
  bool LinkEditing() const { return editing_; }
  bool LinkReadOnly() const { return read_only_; }
  void SetLinkReadOnly(bool read_only);
  bool WritingBack() const { return writing_back_; }
  // Links that are visual controls hear notifications after the others.
  bool VisualControl() const { return visual_control_; }
  void SetVisualControl(bool visual) { visual_control_ = visual; }

  int WindowSize() const { return window_size_; }
  // When it differs and the link is live: clamps WindowTop, has the record
  // source fit its window, clamps again.
  void SetWindowSize(int size);
  int WindowTop() const { return window_top_; }
  // CurrentIndex - WindowTop (0 in KeyEntry).
  int ActiveRow() const;
  // Makes the record at slice row `row` current (no effect in KeyEntry).
  void SetActiveRow(int row);
  // min(WindowSize, LoadedCount); 1 in KeyEntry.
  int RowsInWindow() const;
  bool Bof() const;
  bool Eof() const;
  // The record source's MoveBy.
  int MoveBy(int n);

  // Unless read-only: puts the record source into Editing when the data
  // source's AutoEdit is on and it is Browsing. Returns LinkEditing().
  bool Edit();
  // Calls WriteBack with WritingBack() set, cleared again even on failure.
  void UpdateRecord();

  // Called by the data source.
  virtual void DataEvent(TDataEvent event, TDataEventInfo info);

 protected:
  virtual void LiveChanged() {}
  virtual void EditingChanged() {}
  virtual void WindowReloaded() {}
  virtual void WindowScrolled(int distance) { (void)distance; }
  virtual void LayoutReshaped() { WindowReloaded(); }
  virtual void RecordEdited(TField* field) { (void)field; }
  virtual void FocusField(TField** field) { (void)field; }
  virtual void WriteBack() {}
  virtual void SettleEdits() {}
  virtual void SilentStateSwitch(bool live) { (void)live; }

  // Recomputes Live and LinkEditing from the data source's state.
  void UpdateState();

 private:
  friend class TDataSource;
  friend class TDataSet;
  void SetLive(bool live);
  void SetEditing(bool editing);
  void ClampWindowTop();
  void DetachFromSource();
  bool InKeyEntry() const;

  TDataSource* data_source_ = nullptr;
  int window_size_ = 1;
  int window_top_ = 0;
  bool live_ = false;
  bool editing_ = false;
  bool read_only_ = false;
  bool writing_back_ = false;
  bool data_source_fixed_ = false;
  bool visual_control_ = false;
};

}  // namespace data
