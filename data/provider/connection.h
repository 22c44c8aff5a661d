// The connection object: settings, the connection string, open and close.
// Opening parses the connection string, finds the provider it names and
// opens the store; every failure is a ProviderError with the provider's
// description.
#pragma once

#include <memory>
#include <string>

#include "data/provider/ado.h"
#include "data/provider/provider.h"

namespace provider {

class Connection {
 public:
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void set_mode(int mode) { mode_ = mode; }
  int mode() const { return mode_; }
  // The provider used when the connection string names none.
  void set_provider(std::string name) { provider_ = std::move(name); }
  const std::string& provider() const { return provider_; }
  void set_cursor_location(int location) { cursor_location_ = location; }
  int cursor_location() const { return cursor_location_; }
  void set_connection_string(std::string text) { connection_string_ = std::move(text); }
  const std::string& connection_string() const { return connection_string_; }

  // Opens the store named by `connection_string` (the stored one when
  // empty). User name and password are accepted for the contract's sake;
  // the database password comes from the connection string. Throws
  // ProviderError (already open, unknown provider, the store's failure).
  void Open(const std::string& connection_string = {}, const std::string& user = {},
            const std::string& password = {}, int options = adConnectUnspecified);
  // Closes the store; nothing happens when closed.
  void Close();
  // adStateOpen while open, adStateClosed otherwise.
  int state() const { return store_ ? adStateOpen : adStateClosed; }

  // The open store. Throws ProviderError when the connection is closed.
  Store& store();

  // Told how far the scan of each statement run over this connection has got
  // (see Store::ExecuteWithProgress); empty for none.
  void set_scan_progress(ScanProgressFn progress) { scan_progress_ = std::move(progress); }
  const ScanProgressFn& scan_progress() const { return scan_progress_; }

  // Row writes between the two go to disk as one step (see Store). Throw
  // ProviderError when closed or when the store fails.
  void BeginBatch() { store().BeginBatch(); }
  void CommitBatch() { store().CommitBatch(); }

 private:
  int mode_ = adModeUnknown;
  std::string provider_;
  int cursor_location_ = adUseServer;
  std::string connection_string_;
  std::unique_ptr<Store> store_;
  ScanProgressFn scan_progress_;
};

}  // namespace provider
