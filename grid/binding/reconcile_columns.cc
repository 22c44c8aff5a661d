// The column step of the grid's layout pass.
#include "grid/binding/data_grid.h"

namespace grid {

void TDataGrid::ReconcileColumns() {
  if (loading_) return;
  TDataGridColumns& columns = *columns_;
  TGridDataLink& link = *data_link_;

  // Generated columns in front of the program's own are left over from an
  // earlier field-driven pass: they go.
  bool seen_generated = false;
  for (int i = 0; i < columns.Count(); ++i) {
    if (columns[i].IsFieldDriven()) {
      seen_generated = true;
    } else if (seen_generated) {
      for (int j = columns.Count() - 1; j >= 0; --j) {
        if (columns[j].IsFieldDriven()) columns.Delete(j);
      }
      break;
    }
  }

  bool persistent = columns.ColumnSetState() == TColumnSetState::Persistent;
  link.ClearMapping();
  if (link.Active()) {
    link.SetLenientMap(persistent);
    if (persistent) {
      for (int i = 0; i < columns.Count(); ++i) link.AddMapping(columns[i].FieldName());
    } else {
      TDataSet& source = *RecordSource();
      for (int i = 0; i < source.FieldCount(); ++i) {
        TField* field = source.Field(i);
        if (field->Visible()) link.AddMapping(field->FieldName());
      }
    }
  }

  if (persistent) {
    // Bound again by name on first use.
    for (int i = 0; i < columns.Count(); ++i) columns[i].BindField(nullptr);
    return;
  }

  if (!link.Active() && link.DefaultFields()) {
    columns.Clear();
  } else {
    for (int i = columns.Count() - 1; i >= 0; --i) {
      TField* field = columns[i].BoundField();
      if (!field || !link.MappingContains(field)) columns.Delete(i);
    }
  }
  int n = link.MappingCount();
  if (n == 0 && columns.Count() == 0) n = 1;
  for (int i = 0; i < n; ++i) {
    TField* field = link.MappedField(i);
    TGridColumn* use = nullptr;
    if (field) {
      for (int j = i; j < columns.Count(); ++j) {
        if (columns[j].BoundField() == field) {
          use = &columns[j];
          break;
        }
      }
    }
    if (!use) {
      use = &columns.AddFieldDrivenColumn();
      if (field) use->BindField(field);
    }
    int at = columns.IndexOf(use);
    if (at != i) columns.Move(at, i);
  }
}

}  // namespace grid
