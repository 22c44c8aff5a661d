// TADOQuery: a record source over one select statement, run through the
// provider contract on a TADOConnection.
//
// The statement is held as lines (SQL). Changing them closes the query and
// scans the text for parameter markers. Opening connects a disconnected
// connection first. The result's rows stay with the provider, which keeps
// only what finds each row again; the query decodes only the records of
// its window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/ado_connection.h"
#include "data/dataset.h"
#include "data/provider/recordset.h"
#include "data/strings.h"

namespace data {

enum TCursorType : int {
  ctUnspecified = -1,
  ctOpenForwardOnly = 0,
  ctKeyset = 1,
  ctDynamic = 2,
  ctStatic = 3
};
enum TADOLockType : int {
  ltUnspecified = -1,
  ltReadOnly = 1,
  ltPessimistic = 2,
  ltOptimistic = 3,
  ltBatchOptimistic = 4
};

class TADOQuery : public TDataSet {
 public:
  explicit TADOQuery(std::string name);
  ~TADOQuery() override;

  TADOConnection* Connection() const { return connection_; }
  // Closes the query and names another connection.
  void SetConnection(TADOConnection* connection);

  // The statement lines. Any change closes the query and rescans the text.
  TStrings& SQL() { return sql_; }
  // The text handed to the provider: markers replaced by "?".
  const std::string& CommandText() const { return command_text_; }
  // Names of the parameters the scan found (never given values).
  const std::vector<std::string>& Parameters() const { return parameters_; }
  bool ParamCheck() const { return param_check_; }
  void SetParamCheck(bool on) { param_check_ = on; }

  TCursorLocation CursorLocation() const { return cursor_location_; }
  TCursorType CursorType() const { return cursor_type_; }
  TADOLockType LockType() const { return lock_type_; }
  void SetLockType(TADOLockType lock_type) { lock_type_ = lock_type; }
  int CacheSize() const { return cache_size_; }
  int MaxRecords() const { return max_records_; }
  bool EnableBCD() const { return enable_bcd_; }

  // The result's column descriptions while open (empty when closed).
  const std::vector<provider::ColumnInfo>& Columns() const;

  // Throws EOleException, as storing a row would, when the file behind the
  // open query refuses every write (it was opened for reading only); does
  // nothing otherwise. Callers about to write check before they touch
  // anything else (a backup, a report).
  void CheckWritable() const;

  // Client-side cursor with approximate positioning and no filter.
  bool IsSequenced() const override;

  // Told by the connection when it connects or disconnects.
  void ConnectionStateChanged();

 protected:
  std::vector<provider::ColumnInfo> InternalOpen() override;
  void InternalClose() override;
  int64_t InternalRecordCount() const override;
  std::vector<provider::Variant> InternalFetch(int64_t position) override;
  void InternalPost(int64_t position, const provider::RowChanges& changes) override;
  int64_t InternalInsert(const provider::RowChanges& values) override;
  void InternalDelete(int64_t position) override;
  bool InternalCanModify() const override;

 private:
  void QueryChanged();

  TADOConnection* connection_ = nullptr;
  TStrings sql_;
  std::string command_text_;
  std::vector<std::string> parameters_;
  bool param_check_ = true;
  TCursorLocation cursor_location_ = clUseClient;
  TCursorType cursor_type_ = ctKeyset;
  TADOLockType lock_type_ = ltOptimistic;
  int cache_size_ = 1;
  int max_records_ = 0;
  bool enable_bcd_ = true;
  std::unique_ptr<provider::Recordset> recordset_;
};

// Replaces parameter markers (":name" outside quoted literals) by "?" and
// "::" by ":"; the names found are appended to `names`. A literal opened by
// ', " or ` runs to the same quote, so nothing inside it is ever a marker.
std::string ScanParameters(const std::string& text, std::vector<std::string>* names);

}  // namespace data
