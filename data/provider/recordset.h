// The record set object: the rows of one statement over an open
// connection, a current position, values as variants, one row stored per
// update.
//
// Positions are 0-based row indexes; BOF and EOF are the positions just
// before the first and after the last row. Values are read through a
// one-row cache so that reading every column of a row decodes it once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/provider/ado.h"
#include "data/provider/provider.h"

namespace provider {

class Connection;

class Recordset {
 public:
  Recordset() = default;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Runs `statement` on `connection`. The cursor settings are kept for the
  // contract; the rows are always fully known at open. Positioned on the
  // first row (EOF when there is none). Throws ProviderError.
  void Open(const std::string& statement, Connection& connection, int cursor_type = adOpenKeyset,
            int lock_type = adLockOptimistic, int cache_size = 1, int64_t max_records = 0);
  void Close();
  int state() const { return rows_ ? adStateOpen : adStateClosed; }

  // Column descriptions (empty when closed).
  const std::vector<ColumnInfo>& columns() const;
  int64_t RecordCount() const;

  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  // Moves by `n` rows from the current one; stops at BOF or EOF.
  void Move(int64_t n);
  bool bof() const { return position_ < 0; }
  bool eof() const { return position_ >= RecordCount(); }
  // 0-based index of the current row (-1 at BOF, RecordCount() at EOF).
  int64_t position() const { return position_; }

  bool Supports(uint32_t option) const;
  // 1-based number of the current row; -1 at BOF or EOF.
  int64_t AbsolutePosition() const;
  // Goes to the 1-based row `n`. Throws ProviderError when out of range.
  void SetAbsolutePosition(int64_t n);

  // Starts a new row: SetValue collects its values and Update adds it after
  // the last row, which becomes current. A move or CancelUpdate drops it.
  void AddNew();
  bool adding() const { return adding_; }
  // Removes the current row; the row after it becomes current (EOF when it
  // was the last). Throws ProviderError at BOF/EOF, on a rowset that cannot
  // be updated, and when the provider cannot remove rows.
  void Delete();

  // Value of `column` in the current row. Throws ProviderError at BOF/EOF.
  const Variant& GetValue(size_t column);
  // Every column of the current row.
  const std::vector<Variant>& GetRow();
  // Remembers a new value for `column` of the current row until Update().
  void SetValue(size_t column, Variant value);
  bool editing() const { return !pending_.empty(); }
  // Stores the pending values of the current row (or adds the new row), all
  // at once. When it fails nothing is stored and the values stay pending.
  void Update();
  // Drops pending values and a row being added.
  void CancelUpdate();
  bool updatable() const { return rows_ && rows_->updatable() && lock_type_ != adLockReadOnly; }
  // Why the provider would refuse every change (see Rowset::WriteRefusal).
  std::string WriteRefusal() const { return rows_ ? rows_->WriteRefusal() : std::string(); }

 private:
  void CheckOpen() const;
  void CheckCurrent() const;
  void Goto(int64_t position);
  void CheckUpdatable() const;

  std::unique_ptr<Rowset> rows_;
  int lock_type_ = adLockOptimistic;
  int64_t max_records_ = 0;
  int64_t position_ = -1;
  std::optional<int64_t> cached_position_;
  std::vector<Variant> cached_row_;
  RowChanges pending_;
  bool adding_ = false;
};

}  // namespace provider
