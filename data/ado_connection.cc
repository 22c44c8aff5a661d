#include "data/ado_connection.h"

#include <algorithm>

#include "data/ado_query.h"
#include "data/db_error.h"

namespace data {

TADOConnection::TADOConnection(std::string name) : name_(std::move(name)) {
  connection_.set_cursor_location(cursor_location_);
}

TADOConnection::~TADOConnection() {
  std::vector<TDataSet*> datasets = datasets_;
  for (TDataSet* d : datasets) {
    if (auto* q = dynamic_cast<TADOQuery*>(d)) q->SetConnection(nullptr);
  }
  connection_.Close();
}

void TADOConnection::SetMode(TConnectMode mode) {
  mode_ = mode;
  connection_.set_mode(static_cast<int>(mode));
}

void TADOConnection::SetProvider(const std::string& provider) {
  provider_ = provider;
  connection_.set_provider(provider);
}

void TADOConnection::SetCursorLocation(TCursorLocation location) {
  cursor_location_ = location;
  connection_.set_cursor_location(static_cast<int>(location));
}

void TADOConnection::SetConnectionString(const std::string& text) {
  if (text == connection_string_) return;
  SetConnected(false);
  connection_string_ = text;
  connection_.set_connection_string(text);
}

bool TADOConnection::Connected() const {
  return (connection_.state() & provider::adStateOpen) != 0;
}

void TADOConnection::SetConnected(bool connected) {
  if (connected == Connected()) return;
  if (connected) {
    try {
      connection_.Open(connection_string_, "", "", static_cast<int>(connect_options_));
    } catch (const provider::ProviderError& e) {
      throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
    }
  } else {
    connection_.Close();
  }
  NotifyDataSets();
}

void TADOConnection::BeginBatch() {
  try {
    connection_.BeginBatch();
  } catch (const provider::ProviderError& e) {
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

void TADOConnection::CommitBatch() {
  try {
    connection_.CommitBatch();
  } catch (const provider::ProviderError& e) {
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

void TADOConnection::NotifyDataSets() {
  std::vector<TDataSet*> datasets = datasets_;
  for (TDataSet* d : datasets) {
    if (auto* q = dynamic_cast<TADOQuery*>(d)) q->ConnectionStateChanged();
  }
}

void TADOConnection::RegisterDataSet(TDataSet* dataset) {
  if (std::find(datasets_.begin(), datasets_.end(), dataset) == datasets_.end()) {
    datasets_.push_back(dataset);
  }
}

void TADOConnection::UnregisterDataSet(TDataSet* dataset) {
  datasets_.erase(std::remove(datasets_.begin(), datasets_.end(), dataset), datasets_.end());
}

}  // namespace data
