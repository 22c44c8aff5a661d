// The table view of the main window: the view query ADOQuery1, the data
// source DataSource1 and the grid core DataGrid1 bound to it, and
// RefreshView, which lists a table (or the rows whose field holds a text)
// and rebuilds the grid's columns and count footer.
//
// This sits above both the data layer and the grid core, which do not know
// each other's view of the window; no Qt here.
#pragma once

#include <string>

#include "data/ado_query.h"
#include "data/data_source.h"
#include "data/run_query.h"
#include "grid/binding/data_grid.h"

namespace view {

// The settings the window gives DataGrid1: titles, indicator, resizable
// columns, lines, row selection, read-only, one footer row on the window
// colour, an active summary list, and "宋体" height -12 for titles and
// footers.
void SetUpDataGrid(grid::TDataGrid& grid);

// RefreshView over `query` and `grid`: clears the columns, runs the view
// statement of `table`, `field` and `search` with RunQuery ("数据库打开失败"
// through `show_message` when it cannot run), rebuilds one column per field
// with centred titles and cells, 100 pixels wide, and writes the record
// count followed by "条" into the first column's footer, centred, in black.
// After a failed statement the count cannot be read and the closed query's
// failure ("ADOQuery1: Cannot perform this operation on a closed dataset")
// goes on to the caller.
void RefreshView(data::TADOQuery& query, grid::TDataGrid& grid, const std::string& table,
                 const std::string& field, const std::string& search,
                 const data::ShowMessageFn& show_message);

class TTableView {
 public:
  // The grid set up and bound through DataSource1 to ADOQuery1, which has
  // no connection until the data module names one.
  TTableView();
  TTableView(const TTableView&) = delete;
  TTableView& operator=(const TTableView&) = delete;
  ~TTableView();

  void RefreshView(const std::string& table, const std::string& field, const std::string& search,
                   const data::ShowMessageFn& show_message) {
    view::RefreshView(ADOQuery1, DataGrid1, table, field, search, show_message);
  }
  // The statement of the last rebuild (empty before the first).
  std::string LastStatement();

  // Destroyed in reverse order: the grid leaves the data source before the
  // data source leaves the query.
  data::TADOQuery ADOQuery1{"ADOQuery1"};
  data::TDataSource DataSource1{"DataSource1"};
  grid::TDataGrid DataGrid1;
};

}  // namespace view
