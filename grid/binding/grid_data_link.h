// The grid's data link: turns the record source's notifications into calls
// on the grid, and maps grid columns to the record source's fields.
#pragma once

#include <string>
#include <vector>

#include "grid/base/data_access.h"

namespace grid {

class TDataGrid;

class TGridDataLink : public TDataLink, private data::TFieldFreeObserver {
 public:
  explicit TGridDataLink(TDataGrid& grid);
  // Empties the field map and stops watching fields; the base detaches.
  ~TGridDataLink() override;

  TDataGrid& Grid() const { return grid_; }
  // Live: the data source's record source is open.
  bool Active() const { return Live(); }

  // --- Field map ---
  // Empties the map (its capacity is kept).
  void ClearMapping();
  // Lenient maps come from the program's own columns: a missing field maps
  // to −1. A strict map fails with "Field '%s' not found".
  bool LenientMap() const { return lenient_map_; }
  void SetLenientMap(bool lenient) { lenient_map_ = lenient; }
  // Appends the record-source index of the field named `field_name`; grows
  // the map to double its capacity (8 from empty) when full.
  void AddMapping(const std::string& field_name);
  int MappingCount() const { return static_cast<int>(map_.size()); }
  int MappingCapacity() const { return capacity_; }
  // The record-source index of entry i; −1 when missing or out of range.
  int MappedIndex(int i) const;
  // The field of entry i; none when out of range, missing or gone.
  TField* MappedField(int i) const;
  bool MappingContains(const TField* field) const;
  // True without a record source; else the source's default-fields flag,
  // false when a lenient map has a missing entry.
  bool DefaultFields() const;

  // Asks to hear when `field` is destroyed (the grid then forgets it).
  void WatchField(TField* field);

  // The grid's editor changed the record and has not written it yet.
  bool EditPending = false;
  // Escape: drops the editor's pending text, else cancels the record's edit.
  void Revert();

 protected:
  void LiveChanged() override;
  void EditingChanged() override;
  void WindowReloaded() override;
  void WindowScrolled(int distance) override;
  void LayoutReshaped() override;
  void RecordEdited(TField* field) override;
  void FocusField(TField** field) override;
  void WriteBack() override;

 private:
  void FieldDestroyed(TField* field) override;
  void StopWatching();

  TDataGrid& grid_;
  std::vector<int> map_;
  int capacity_ = 0;
  bool lenient_map_ = false;
  bool in_write_back_ = false;
  std::vector<TField*> watched_;
};

}  // namespace grid
