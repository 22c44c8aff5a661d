// TDataSource: binds one record source to the controls that show it. It
// follows the record source's state and relays its notifications to the
// data links attached to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/data_event.h"

namespace data {

class TDataSet;
class TDataLink;
class TField;
class TDataSource;

using TNotifyEvent = std::function<void(TDataSource& sender)>;
using TDataChangeEvent = std::function<void(TDataSource& sender, TField* field)>;

class TDataSource {
 public:
  explicit TDataSource(std::string name = {});
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;
  // Detaches every link and leaves the record source.
  ~TDataSource();

  const std::string& Name() const { return name_; }

  TDataSet* DataSet() const { return dataset_; }
  // Names the record source. Fails with "Circular datalinks are not
  // allowed" when `dataset` is fed, directly or through masters, by this
  // data source. Links see the state change.
  void SetDataSet(TDataSet* dataset);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool AutoEdit() const { return auto_edit_; }
  void SetAutoEdit(bool auto_edit) { auto_edit_ = auto_edit; }
  // The record source's state while enabled and bound; Closed otherwise.
  TDataSetState State() const { return state_; }

  // Links in order of attachment.
  const std::vector<TDataLink*>& DataLinks() const { return links_; }

  // Puts the record source into Editing when AutoEdit is on and it is
  // Browsing.
  void Edit();

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

  // Called by the record source: relays one notification.
  void DataEvent(TDataEvent event, TDataEventInfo info);

 private:
  friend class TDataLink;
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);
  void UpdateState();
  void SetState(TDataSetState state);
  void NotifyLinks(TDataEvent event, TDataEventInfo info);
  bool IsLinkedTo(const TDataSet* dataset) const;

  std::string name_;
  TDataSet* dataset_ = nullptr;
  bool enabled_ = true;
  bool auto_edit_ = true;
  bool destroying_ = false;
  TDataSetState state_ = TDataSetState::Closed;
  std::vector<TDataLink*> links_;
};

}  // namespace data
