// The main window's grid settings, for tests and benchmarks that stand in
// for the window: its options, one footer row and read-only rows.
#pragma once

#include "grid/binding/data_grid.h"

namespace grid_test {

// Titles, indicator, resizable columns, both kinds of lines, Tab between
// controls, whole-row selection, delete confirmation, cancel on leaving.
inline constexpr grid::TDBGridOptions kWindowGridOptions =
    grid::dgTitles | grid::dgIndicator | grid::dgColumnResize | grid::dgColLines |
    grid::dgRowLines | grid::dgTabs | grid::dgRowSelect | grid::dgConfirmDelete |
    grid::dgCancelOnExit;

// Gives `grid` one footer row, the window's options and read-only rows.
inline void UseWindowSettings(grid::TDataGrid& grid) {
  grid.SetFooterRowCount(1);
  grid.SetOptions(kWindowGridOptions);
  grid.SetReadOnly(true);
}

}  // namespace grid_test
