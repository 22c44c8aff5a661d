// TADOConnection: the connection component. It keeps the settings the
// program gives it, the connection string, and connects through the
// provider contract. Queries over it register themselves to hear about
// connecting and disconnecting.
#pragma once

#include <string>
#include <vector>

#include "data/provider/connection.h"

namespace data {

class TDataSet;

// Share modes and their numbers on the connection object.
enum TConnectMode : int {
  cmUnknown = 0,
  cmRead = 1,
  cmWrite = 2,
  cmReadWrite = 3,
  cmShareDenyRead = 4,
  cmShareDenyWrite = 8,
  cmShareExclusive = 12,
  cmShareDenyNone = 16,
};
enum TCursorLocation : int { clUseServer = 2, clUseClient = 3 };
enum TIsolationLevel : int { ilCursorStability = 0x1000 };
enum TConnectOption : int { coConnectUnspecified = -1, coAsyncConnect = 16 };

class TADOConnection {
 public:
  explicit TADOConnection(std::string name);
  TADOConnection(const TADOConnection&) = delete;
  TADOConnection& operator=(const TADOConnection&) = delete;
  ~TADOConnection();

  const std::string& Name() const { return name_; }

  bool LoginPrompt() const { return login_prompt_; }
  void SetLoginPrompt(bool on) { login_prompt_ = on; }
  TConnectMode Mode() const { return mode_; }
  // Hands the share mode to the connection object.
  void SetMode(TConnectMode mode);
  const std::string& Provider() const { return provider_; }
  void SetProvider(const std::string& provider);
  bool KeepConnection() const { return keep_connection_; }
  void SetKeepConnection(bool on) { keep_connection_ = on; }
  TCursorLocation CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(TCursorLocation location);
  TIsolationLevel IsolationLevel() const { return isolation_level_; }
  TConnectOption ConnectOptions() const { return connect_options_; }

  const std::string& ConnectionString() const { return connection_string_; }
  // Nothing when equal; otherwise disconnects and keeps the new string.
  void SetConnectionString(const std::string& text);

  bool Connected() const;
  // On: opens with the current string, then tells the queries. Off: closes
  // the connection, then tells the queries (they stay open). Connecting
  // fails with EOleException carrying the provider's cleaned description.
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // Groups the row writes of the queries over this connection into one
  // durable step until CommitBatch. Both fail with EOleException carrying
  // the provider's description.
  void BeginBatch();
  void CommitBatch();

  // Told how far the scan of each statement run over this connection has
  // got: rows read of the rows in the table. Empty for none.
  void SetScanProgress(provider::ScanProgressFn progress) {
    connection_.set_scan_progress(std::move(progress));
  }

  // The connection object behind the component.
  provider::Connection& ConnectionObject() { return connection_; }

  // Queries register while they name this connection.
  void RegisterDataSet(TDataSet* dataset);
  void UnregisterDataSet(TDataSet* dataset);

 private:
  void NotifyDataSets();

  std::string name_;
  bool login_prompt_ = true;
  TConnectMode mode_ = cmUnknown;
  std::string provider_;
  bool keep_connection_ = true;
  TCursorLocation cursor_location_ = clUseClient;
  TIsolationLevel isolation_level_ = ilCursorStability;
  TConnectOption connect_options_ = coConnectUnspecified;
  std::string connection_string_;
  provider::Connection connection_;
  std::vector<TDataSet*> datasets_;
};

}  // namespace data
