#include "data/provider/recordset.h"

#include <algorithm>

#include "data/provider/connection.h"

namespace provider {
namespace {

const std::vector<ColumnInfo> kNoColumns;

}  // namespace

int64_t Rowset::Insert(const RowChanges& /*values*/) {
  throw ProviderError(kNotCapable, kNotCapableCode);
}

void Rowset::Delete(int64_t /*row*/) { throw ProviderError(kNotCapable, kNotCapableCode); }

void Recordset::Open(const std::string& statement, Connection& connection, int /*cursor_type*/,
                     int lock_type, int /*cache_size*/, int64_t max_records) {
  if (rows_) {
    throw ProviderError("Operation is not allowed when the object is open.",
                        static_cast<int32_t>(0x800A0E79u));
  }
  rows_ = connection.store().ExecuteWithProgress(statement, connection.scan_progress());
  lock_type_ = lock_type;
  max_records_ = max_records;
  cached_position_.reset();
  pending_.clear();
  adding_ = false;
  position_ = RecordCount() > 0 ? 0 : RecordCount();
}

void Recordset::Close() {
  rows_.reset();
  cached_position_.reset();
  cached_row_.clear();
  pending_.clear();
  adding_ = false;
  position_ = -1;
}

const std::vector<ColumnInfo>& Recordset::columns() const {
  return rows_ ? rows_->columns() : kNoColumns;
}

int64_t Recordset::RecordCount() const {
  if (!rows_) return -1;
  int64_t n = rows_->size();
  return max_records_ > 0 ? std::min(n, max_records_) : n;
}

void Recordset::CheckOpen() const {
  if (!rows_) {
    throw ProviderError("Operation is not allowed when the object is closed.",
                        static_cast<int32_t>(0x800A0E78u));
  }
}

void Recordset::CheckCurrent() const {
  CheckOpen();
  if (bof() || eof()) {
    throw ProviderError(
        "Either BOF or EOF is True, or the current record has been deleted. Requested "
        "operation requires a current record.",
        static_cast<int32_t>(0x800A0BCDu));
  }
}

void Recordset::Goto(int64_t position) {
  CheckOpen();
  pending_.clear();
  adding_ = false;
  position_ = std::clamp<int64_t>(position, -1, RecordCount());
}

void Recordset::MoveFirst() { Goto(RecordCount() > 0 ? 0 : RecordCount()); }
void Recordset::MoveLast() { Goto(RecordCount() - 1); }
void Recordset::MoveNext() { Goto(position_ + 1); }
void Recordset::MovePrevious() { Goto(position_ - 1); }
void Recordset::Move(int64_t n) { Goto(position_ + n); }

bool Recordset::Supports(uint32_t option) const {
  constexpr uint32_t kAlways = adHoldRecords | adMovePrevious | adBookmark | adApproxPosition;
  if ((option & ~(kAlways | adUpdate)) != 0) return false;
  if ((option & adUpdate) == adUpdate && !updatable()) return false;
  return rows_ != nullptr;
}

int64_t Recordset::AbsolutePosition() const {
  if (!rows_ || bof() || eof()) return -1;
  return position_ + 1;
}

void Recordset::SetAbsolutePosition(int64_t n) {
  CheckOpen();
  if (n < 1 || n > RecordCount()) {
    throw ProviderError(
        "Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
        "one another.",
        static_cast<int32_t>(0x800A0BB9u));
  }
  Goto(n - 1);
}

const std::vector<Variant>& Recordset::GetRow() {
  CheckCurrent();
  if (!cached_position_ || *cached_position_ != position_) {
    cached_position_.reset();
    cached_row_ = rows_->Read(position_);
    cached_position_ = position_;
  }
  return cached_row_;
}

const Variant& Recordset::GetValue(size_t column) {
  static const Variant kNull;
  for (const auto& [col, value] : pending_) {
    if (col == column) return value;
  }
  if (adding_) {
    if (column >= columns().size()) {
      throw ProviderError(
          "Item cannot be found in the collection corresponding to the requested "
          "name or ordinal.",
          static_cast<int32_t>(0x800A0CC1u));
    }
    return kNull;
  }
  const std::vector<Variant>& row = GetRow();
  if (column >= row.size()) {
    throw ProviderError(
        "Item cannot be found in the collection corresponding to the requested "
        "name or ordinal.",
        static_cast<int32_t>(0x800A0CC1u));
  }
  return row[column];
}

void Recordset::SetValue(size_t column, Variant value) {
  if (adding_) {
    CheckOpen();
  } else {
    CheckCurrent();
  }
  if (column >= columns().size()) {
    throw ProviderError(
        "Item cannot be found in the collection corresponding to the requested "
        "name or ordinal.",
        static_cast<int32_t>(0x800A0CC1u));
  }
  for (auto& [col, v] : pending_) {
    if (col == column) {
      v = std::move(value);
      return;
    }
  }
  pending_.emplace_back(column, std::move(value));
}

void Recordset::CheckUpdatable() const {
  if (!updatable()) {
    throw ProviderError(
        "Current Recordset does not support updating. This may be a limitation "
        "of the provider, or of the selected locktype.",
        static_cast<int32_t>(0x800A0CB3u));
  }
}

void Recordset::Update() {
  if (adding_) {
    CheckOpen();
    CheckUpdatable();
    const int64_t row = rows_->Insert(pending_);
    adding_ = false;
    pending_.clear();
    cached_position_.reset();
    position_ = row;
    return;
  }
  CheckCurrent();
  if (pending_.empty()) return;
  CheckUpdatable();
  // The row read before the change stays current when every new value reads
  // back as written: a bulk change then reads each row once, not twice.
  bool keep = cached_position_ && *cached_position_ == position_;
  for (const auto& [column, value] : pending_) {
    keep = keep && column < cached_row_.size() && rows_->ReadsBackAsWritten(column, value);
  }
  cached_position_.reset();
  rows_->Write(position_, pending_);
  if (keep) {
    for (auto& [column, value] : pending_) cached_row_[column] = std::move(value);
    cached_position_ = position_;
  }
  pending_.clear();
}

void Recordset::CancelUpdate() {
  pending_.clear();
  adding_ = false;
}

void Recordset::AddNew() {
  CheckOpen();
  CheckUpdatable();
  pending_.clear();
  adding_ = true;
}

void Recordset::Delete() {
  CheckCurrent();
  CheckUpdatable();
  rows_->Delete(position_);
  pending_.clear();
  cached_position_.reset();
  position_ = std::min(position_, RecordCount());
}

}  // namespace provider
