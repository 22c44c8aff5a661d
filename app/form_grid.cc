#include "app/form_grid.h"

#include <memory>

namespace app {

grid::DataGridWidget& PlaceDataGrid1(TFormMain& form, grid::TDataGrid& core) {
  auto widget = std::make_unique<grid::DataGridWidget>(core);
  widget->setObjectName(QStringLiteral("DataGrid1"));
  // A failure of the grid while handling input (a record that cannot be
  // read on a move, say) is shown like any other failure of the window.
  widget->SetErrorReporter([&form](const std::string& message) { form.ShowErrorBox(message); });
  grid::DataGridWidget& placed = *widget;
  // The window's grid area takes the widget over.
  form.PlaceDataGrid(widget.release());
  return placed;
}

}  // namespace app
