// TFormMainData: the window's database steps for real. It owns the table
// view (ADOQuery1, DataSource1, DataGrid1) and, once start-up creates it
// after the window, the data module with the connection and the scratch
// query; the view query takes the module's connection from that moment.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form_database.h"
#include "app/progress.h"
#include "data/run_query.h"
#include "data/share_dm.h"
#include "view/table_view.h"

namespace app {

class TFormMainData : public TFormMainDatabase {
 public:
  TFormMainData();
  ~TFormMainData() override;

  // Where the program's own messages go ("数据库打开失败"): the window's
  // message box.
  void SetShowMessage(data::ShowMessageFn show_message) { show_message_ = std::move(show_message); }
  // Where the view's rebuild and Modify report how far they have got; null
  // for nowhere. Each of them is one step of the sink.
  void SetProgressSink(ProgressSink* sink) { progress_ = sink; }

  // Creates ShareDataModule and points ADOQuery1 at its ADOConnection1.
  // Nothing touches the view query before.
  void CreateShareDataModule();
  data::TShareDataModule* ShareDataModule() { return share_dm_.get(); }
  view::TTableView& View() { return view_; }

  void Connect(const std::string& file, const std::string& password) override;
  void RefreshView(const std::string& table, const std::string& field,
                   const std::string& search) override;
  // The rows of the last view's statement, changed where the replacement
  // changes them (see data::ModifyRows).
  void ReplaceRows(const std::string& field, const std::string& old_value,
                   const std::string& new_value) override;

  // The fields of the view query in field order; empty while it is closed.
  std::vector<std::string> FieldNames() const;

 private:
  data::TShareDataModule& Module();

  // Runs `work` as one progress step, with the connection's scans reported
  // as reading.
  void WithProgress(const std::function<void()>& work);

  data::ShowMessageFn show_message_;
  ProgressSink* progress_ = nullptr;
  view::TTableView view_;
  // Destroyed before the view: the view query leaves the connection first.
  std::unique_ptr<data::TShareDataModule> share_dm_;
};

}  // namespace app
