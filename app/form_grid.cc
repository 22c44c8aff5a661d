#include "app/form_grid.h"

#include <memory>

namespace app {

grid::DataGridWidget& PlaceDataGrid1(TFormMain& form, grid::TDataGrid& core) {
  auto widget = std::make_unique<grid::DataGridWidget>(core);
  widget->setObjectName(QStringLiteral("DataGrid1"));
  grid::DataGridWidget& placed = *widget;
  // The window's grid area takes the widget over.
  form.PlaceDataGrid(widget.release());
  return placed;
}

}  // namespace app
