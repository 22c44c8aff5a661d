#include "app/form_data.h"

#include <stdexcept>

#include "data/bulk_replace.h"
#include "data/provider/jet_provider.h"

namespace app {

TFormMainData::TFormMainData() = default;

TFormMainData::~TFormMainData() {
  // The view query names the module's connection: let go of it before the
  // module goes.
  view_.ADOQuery1.SetConnection(nullptr);
}

void TFormMainData::CreateShareDataModule() {
  if (share_dm_) return;
  // The connection opens files through our engine, unless a test has put
  // its own provider under the engine's name.
  provider::RegisterJetProvider();
  share_dm_ = std::make_unique<data::TShareDataModule>();
  view_.ADOQuery1.SetConnection(&share_dm_->ADOConnection1);
}

data::TShareDataModule& TFormMainData::Module() {
  if (!share_dm_) throw std::logic_error("ShareDataModule has not been created");
  return *share_dm_;
}

void TFormMainData::Connect(const std::string& file, const std::string& password) {
  data::TShareDataModule& module = Module();
  data::TADOConnection& connection = module.ADOConnection1;
  // An open query still reads its rows from the file it was opened on, and
  // a file opened for writing stays locked while anything reads it: let go
  // of both queries' rows first, or reconnecting to the same file would
  // find it in use. Each is rebuilt by the command that needs it.
  view_.ADOQuery1.Close();
  module.ADOQueryTemp.Close();
  connection.SetConnected(false);
  connection.SetConnectionString(data::BuildConnectionString(file, password));
  connection.SetConnected(true);
}

void TFormMainData::WithProgress(const std::function<void()>& work) {
  data::TADOConnection& connection = Module().ADOConnection1;
  ProgressStep step(progress_);
  if (progress_ != nullptr) {
    connection.SetScanProgress([sink = progress_](int64_t done, int64_t total) {
      sink->Report(ProgressPhase::kReading, done, total);
    });
  }
  // The connection outlives this step: it must not keep calling into it.
  struct Unhook {
    data::TADOConnection& connection;
    ~Unhook() { connection.SetScanProgress(nullptr); }
  } unhook{connection};
  work();
}

void TFormMainData::RefreshView(const std::string& table, const std::string& field,
                                const std::string& search) {
  Module();
  WithProgress([&] { view_.RefreshView(table, field, search, show_message_); });
}

void TFormMainData::ReplaceRows(const std::string& field, const std::string& old_value,
                                const std::string& new_value) {
  data::ModifyOptions options;
  if (progress_ != nullptr) {
    options.progress = [sink = progress_](int64_t done, int64_t total) {
      sink->Report(ProgressPhase::kModifying, done, total);
    };
  }
  WithProgress([&] {
    data::ModifyRows(Module().ADOQueryTemp, view_.LastStatement(), field, old_value, new_value,
                     show_message_, options);
  });
}

std::vector<std::string> TFormMainData::FieldNames() const {
  std::vector<std::string> names;
  const data::TADOQuery& query = view_.ADOQuery1;
  if (!query.Active()) return names;
  for (int i = 0; i < query.FieldCount(); ++i) names.push_back(query.Field(i)->FieldName());
  return names;
}

}  // namespace app
