// What a record source tells its data sources, and its states.
#pragma once

#include <cstdint>

namespace data {

// Record source states. Codes are fixed: links and grids test them.
enum class TDataSetState : uint8_t {
  Closed = 0,
  Browsing = 1,
  Editing = 2,
  Inserting = 3,
  KeyEntry = 4,
  Filtering = 6,  // a candidate record is being tested against the filter
  BlockReading = 10,
  Opening = 12,
};

// Notification kinds, each with one argument (see each kind).
enum class TDataEvent : int {
  FieldEdited = 0,         // the TField* whose value changed
  RecordEdited = 1,        // 0
  WindowReloaded = 2,      // 0
  WindowScrolled = 3,      // shift of the window, negative towards the end
  LayoutReshaped = 4,      // 0
  CollectEdits = 5,        // 0: links write their pending values
  StateSwitched = 6,       // 0
  SettleEdits = 7,         // 0: an edit is about to be left
  PropertyTouched = 8,     // 0
  FieldListTouched = 9,    // 0
  FieldFocusRequest = 10,  // a TField** naming the field to focus
  ConnectionChanged = 12,  // 0: the record source's connection connected or disconnected
  SilentStateSwitch = 14,  // 1 when the new state is not Closed, else 0
};

// The argument of a notification: a number, or a pointer cast to it.
using TDataEventInfo = intptr_t;

}  // namespace data
