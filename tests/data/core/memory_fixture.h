// Test helpers: an in-memory database served under the engine's provider
// name, and a data link that records what it hears.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/ado_query.h"
#include "data/data_link.h"
#include "data/data_source.h"
#include "data/provider/ado.h"
#include "data/provider/memory_provider.h"
#include "data/provider/registry.h"
#include "data/share_dm.h"

namespace data::testing {

// Registers a fresh catalog under the engine's provider name for the
// lifetime of the object.
class MemoryCatalogScope {
 public:
  MemoryCatalogScope() : catalog_(std::make_shared<provider::MemoryCatalog>()) {
    auto catalog = catalog_;
    provider::RegisterProvider(provider::kJetProviderName, [catalog] {
      return std::make_unique<provider::MemoryProvider>(catalog);
    });
  }
  ~MemoryCatalogScope() { provider::UnregisterProvider(provider::kJetProviderName); }

  std::shared_ptr<provider::MemoryDatabase> Add(const std::string& file,
                                                const std::string& password = "") {
    auto db = std::make_shared<provider::MemoryDatabase>();
    db->password = password;
    (*catalog_)[file] = db;
    return db;
  }

 private:
  std::shared_ptr<provider::MemoryCatalog> catalog_;
};

// A table "Numbers" with columns ID (integer) and Name (wide text, 20),
// rows 1..n named "row1".."rowN".
inline void AddNumbersTable(provider::MemoryDatabase& db, int n) {
  using namespace provider;  // NOLINT
  MemoryTable& t =
      db.AddTable("Numbers", {MemoryColumn("ID", adInteger), MemoryColumn("Name", adVarWChar, 20)});
  for (int i = 1; i <= n; ++i) {
    t.rows.push_back({Variant(int64_t{i}), Variant("row" + std::to_string(i))});
  }
}

// A data link that logs its reactions.
class RecordingLink : public TDataLink {
 public:
  explicit RecordingLink(std::vector<std::string>* log, std::string tag = "link")
      : log_(log), tag_(std::move(tag)) {}
  using TDataLink::UpdateState;

 protected:
  void LiveChanged() override { Log(Live() ? "LiveChanged(1)" : "LiveChanged(0)"); }
  void EditingChanged() override { Log(LinkEditing() ? "EditingChanged(1)" : "EditingChanged(0)"); }
  void WindowReloaded() override { Log("WindowReloaded"); }
  void WindowScrolled(int distance) override {
    Log("WindowScrolled(" + std::to_string(distance) + ")");
  }
  void LayoutReshaped() override { Log("LayoutReshaped"); }
  void RecordEdited(TField* field) override {
    Log("RecordEdited(" + (field ? field->FieldName() : std::string("-")) + ")");
  }
  void WriteBack() override { Log("WriteBack"); }
  void SettleEdits() override { Log("SettleEdits"); }
  void SilentStateSwitch(bool live) override {
    Log(live ? "SilentStateSwitch(1)" : "SilentStateSwitch(0)");
  }

 private:
  void Log(const std::string& s) { log_->push_back(tag_ + ":" + s); }
  std::vector<std::string>* log_;
  std::string tag_;
};

// Installs logging handlers on a record source and its data source, and
// empties the log.
inline void LogHandlers(TDataSet& ds, TDataSource& source, std::vector<std::string>* log) {
  log->clear();
  auto h = [log](const char* name) { return [log, name](TDataSet&) { log->push_back(name); }; };
  ds.BeforeOpen = h("BeforeOpen");
  ds.AfterOpen = h("AfterOpen");
  ds.BeforeClose = h("BeforeClose");
  ds.AfterClose = h("AfterClose");
  ds.BeforeScroll = h("BeforeScroll");
  ds.AfterScroll = h("AfterScroll");
  ds.BeforeEdit = h("BeforeEdit");
  ds.AfterEdit = h("AfterEdit");
  ds.BeforePost = h("BeforePost");
  ds.AfterPost = h("AfterPost");
  ds.BeforeCancel = h("BeforeCancel");
  ds.AfterCancel = h("AfterCancel");
  ds.BeforeInsert = h("BeforeInsert");
  ds.AfterInsert = h("AfterInsert");
  ds.BeforeDelete = h("BeforeDelete");
  ds.AfterDelete = h("AfterDelete");
  source.OnStateChange = [log](TDataSource&) { log->push_back("OnStateChange"); };
  source.OnDataChange = [log](TDataSource&, TField* f) {
    log->push_back(std::string("OnDataChange(") + (f ? f->FieldName() : "-") + ")");
  };
  source.OnUpdateData = [log](TDataSource&) { log->push_back("OnUpdateData"); };
}

}  // namespace data::testing
