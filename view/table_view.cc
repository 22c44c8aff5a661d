#include "view/table_view.h"

#include <string>

namespace view {
namespace {

constexpr int kColumnWidth = 100;
constexpr const char* kCountSuffix = "条";

void SetUpFont(grid::TFont& font) {
  font.SetName("宋体");
  font.SetHeight(-12);
  font.SetCharset(0);  // ANSI_CHARSET
  font.SetColor(grid::clWindowText);
}

}  // namespace

void SetUpDataGrid(grid::TDataGrid& grid) {
  grid.SetOptions(grid::dgTitles | grid::dgIndicator | grid::dgColumnResize | grid::dgColLines |
                  grid::dgRowLines | grid::dgTabs | grid::dgRowSelect | grid::dgConfirmDelete |
                  grid::dgCancelOnExit);
  grid.SetReadOnly(true);
  grid.SetFooterRowCount(1);
  grid.SetFooterColor(grid::clWindow);
  grid.SumList().SetActive(true);
  SetUpFont(grid.TitleFont());
  SetUpFont(grid.FooterFont());
}

void RefreshView(data::TADOQuery& query, grid::TDataGrid& grid, const std::string& table,
                 const std::string& field, const std::string& search,
                 const data::ShowMessageFn& show_message) {
  grid.Columns().Clear();
  // Whether it ran or not, the columns are rebuilt: a failed statement
  // leaves one empty column, and the count below then reports the closed
  // query.
  data::RunQuery(query, data::ViewStatement(table, field, search), data::kMsgOpenFailed,
                 show_message);
  grid.Columns().AddFieldColumns(true);
  for (int i = 0; i < grid.Columns().Count(); ++i) {
    grid::TDataGridColumn& column = grid.Columns()[i];
    column.Title().SetAlignment(grid::TAlignment::taCenter);
    column.SetAlignment(grid::TAlignment::taCenter);
    column.SetWidth(kColumnWidth);
    if (i == 0) {
      grid::TColumnFooter& footer = column.Footer();
      footer.SetAlignment(grid::TAlignment::taCenter);
      footer.SetValue(std::to_string(query.RecordCount()) + kCountSuffix);
      footer.SetValueType(grid::TFooterValueType::fvtStaticText);
      footer.Font().SetColor(grid::clBlack);
    }
  }
}

TTableView::TTableView() {
  SetUpDataGrid(DataGrid1);
  DataSource1.SetDataSet(&ADOQuery1);
  DataGrid1.SetDataSource(&DataSource1);
}

TTableView::~TTableView() { DataGrid1.SetDataSource(nullptr); }

std::string TTableView::LastStatement() {
  data::TStrings& sql = ADOQuery1.SQL();
  return sql.Count() > 0 ? sql[0] : std::string();
}

}  // namespace view
