// DataGrid1 in the window: the grid widget over the table view's grid core,
// placed in the window's grid area so that opening a table shows its rows.
#pragma once

#include "app/form_main.h"
#include "grid/binding/data_grid.h"
#include "grid/qt/data_grid_widget.h"

namespace app {

// Makes the widget showing `core` (which must outlive the window) and puts
// it into `form`'s grid area, which owns it from then on. Failures of the
// grid's input handlers are shown in `form`'s error box.
grid::DataGridWidget& PlaceDataGrid1(TFormMain& form, grid::TDataGrid& core);

}  // namespace app
