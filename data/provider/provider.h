// The provider contract: what the data layer hands to a database provider
// and what it gets back. A provider serves one kind of store; it opens a
// store from a parsed connection string and runs statements on it.
//
// Every failure is a ProviderError carrying the provider's description,
// which the data layer shows to the user as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "data/provider/variant.h"

namespace provider {

// A failed provider operation. what() is the provider's description.
class ProviderError : public std::runtime_error {
 public:
  explicit ProviderError(const std::string& description, int32_t code = kGenericCode)
      : std::runtime_error(description), code_(code) {}
  int32_t code() const { return code_; }
  // E_FAIL, what an operation reports when nothing more precise applies.
  static constexpr int32_t kGenericCode = static_cast<int32_t>(0x80004005u);

 private:
  int32_t code_;
};

// One result column as the provider describes it.
struct ColumnInfo {
  std::string name;
  int type = 0;              // a DataTypeEnum value
  int64_t defined_size = 0;  // characters for wide text, bytes otherwise
  int precision = 0;
  int scale = 0;
  uint32_t attributes = 0;  // FieldAttributeEnum bits
  bool auto_increment = false;
};

// Column changes of one row: (column index, new value).
using RowChanges = std::vector<std::pair<size_t, Variant>>;

// The rows a statement selected. All rows are known when it is made, but a
// provider keeps only what it needs to find each row again and decodes a
// row when asked.
class Rowset {
 public:
  virtual ~Rowset() = default;
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Exact number of rows.
  virtual int64_t size() const = 0;
  // Every column of row `row` (0 based, below size()). Throws ProviderError.
  virtual std::vector<Variant> Read(int64_t row) = 0;
  // Stores the changes of one row at once; nothing is written when it
  // fails. Throws ProviderError (also when the rowset is not updatable, or
  // when the file behind it refuses writes).
  virtual void Write(int64_t row, const RowChanges& changes) = 0;
  // Whether `value`, once stored in `column` by Write, reads back as the
  // very same value, so a caller holding the row need not read it again.
  virtual bool ReadsBackAsWritten(size_t /*column*/, const Variant& /*value*/) const {
    return false;
  }
  // Whether the rowset takes changes at all. A rowset over a file that was
  // opened for reading takes them and fails at Write, naming the file.
  virtual bool updatable() const = 0;
  // Why every Write would fail before one is tried (a file opened for
  // reading only), in the words Write would use; empty when writes can be
  // tried. Lets a caller refuse before it does anything else on the file.
  virtual std::string WriteRefusal() const { return {}; }
  // Adds a row with `values` (columns not named are null or numbered by the
  // store) after the last row; returns its index, which is size() - 1.
  // Nothing is added when it fails. Throws ProviderError; providers that
  // cannot add rows fail with kNotCapable.
  virtual int64_t Insert(const RowChanges& values);
  // Removes row `row`; later rows move up by one. Throws ProviderError;
  // providers that cannot remove rows fail with kNotCapable.
  virtual void Delete(int64_t row);

  static constexpr const char* kNotCapable =
      "Object or provider is not capable of performing requested operation.";
  static constexpr int32_t kNotCapableCode = static_cast<int32_t>(0x800A0CB3u);
};

// Told now and then how far a statement's scan has got: rows read, and the
// rows the table holds (as far as the store knows).
using ScanProgressFn = std::function<void(int64_t done, int64_t total)>;

// An open store (one database file).
class Store {
 public:
  virtual ~Store() = default;
  // Runs a statement of the provider's dialect. Throws ProviderError with a
  // syntax, unknown-table or missing-parameter description.
  virtual std::unique_ptr<Rowset> Execute(const std::string& statement) = 0;
  // Execute, reporting to `progress` (when set) while it reads the table.
  // Stores that find their rows without a long scan just run Execute.
  virtual std::unique_ptr<Rowset> ExecuteWithProgress(const std::string& statement,
                                                      const ScanProgressFn& /*progress*/) {
    return Execute(statement);
  }
  // The names of the user's tables, in the store's own order; links to
  // tables elsewhere, which cannot be read here, left out. Throws
  // ProviderError.
  virtual std::vector<std::string> TableNames() = 0;
  // Groups the row writes that follow into one durable step, ended by
  // CommitBatch, so that a run of updates is not made durable row by row.
  // Writes that succeeded before a failed one stay in the batch and are kept
  // by CommitBatch. Stores that make every write durable at once ignore both.
  virtual void BeginBatch() {}
  virtual void CommitBatch() {}
};

// Connection settings a provider gets from the connection string.
struct ConnectionSettings {
  std::string data_source;  // "Data Source"
  std::string password;     // "Jet OLEDB:Database Password"
  int mode = 0;             // a ConnectModeEnum value
};

// A provider: opens stores. Registered by name (see registry.h).
class Provider {
 public:
  virtual ~Provider() = default;
  // Opens the store the settings name. Throws ProviderError.
  virtual std::unique_ptr<Store> Open(const ConnectionSettings& settings) = 0;
};

}  // namespace provider
