// Status and Result<T>: how every engine call reports success or failure.
//
// The engine never throws. A call returns a Status (or a Result<T> that holds
// either a value or a failed Status); the caller decides what to do with it.
// Corruption is its own code so that damaged files can be told apart from
// wrong input (a missing table, a wrong password) and from I/O trouble.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace jet {

class [[nodiscard]] Status {
 public:
  enum class Code {
    kOk = 0,
    kNotFound,         // a file, table, column or row that is not there
    kCorruption,       // the file contradicts the format
    kNotSupported,     // a valid file or request we do not handle (yet)
    kInvalidArgument,  // a request the engine refuses (value too long, bad type)
    kIOError,          // the operating system failed a read or write
    kBadPassword,      // the database password does not match
    kLocked,           // another writer holds the file
    kReadOnly,         // the file or folder cannot be written
    kConstraint,       // a unique index or required column would be violated
  };

  Status() = default;
  static Status Ok() { return Status(); }
  static Status NotFound(std::string msg) { return Status(Code::kNotFound, std::move(msg)); }
  static Status Corruption(std::string msg) { return Status(Code::kCorruption, std::move(msg)); }
  static Status NotSupported(std::string msg) {
    return Status(Code::kNotSupported, std::move(msg));
  }
  static Status InvalidArgument(std::string msg) {
    return Status(Code::kInvalidArgument, std::move(msg));
  }
  static Status IOError(std::string msg) { return Status(Code::kIOError, std::move(msg)); }
  static Status BadPassword(std::string msg) { return Status(Code::kBadPassword, std::move(msg)); }
  static Status Locked(std::string msg) { return Status(Code::kLocked, std::move(msg)); }
  static Status ReadOnly(std::string msg) { return Status(Code::kReadOnly, std::move(msg)); }
  static Status Constraint(std::string msg) { return Status(Code::kConstraint, std::move(msg)); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsNotSupported() const { return code_ == Code::kNotSupported; }
  bool IsBadPassword() const { return code_ == Code::kBadPassword; }

  // The human-readable message, without a code prefix.
  const std::string& message() const { return message_; }
  // "Corruption: <message>" and the like; "OK" for success.
  std::string ToString() const;

  // Returns a copy whose message is "<context>: <message>" (unchanged if ok).
  Status WithContext(const std::string& context) const;

 private:
  Status(Code code, std::string msg) : code_(code), message_(std::move(msg)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

// Either a value or a failed Status. Accessing value() of a failed result is
// a programming error (asserted in debug builds).
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {  // NOLINT: implicit by design
    assert(!status_.ok() && "a Result made from a Status must carry a failure");
  }

  bool ok() const { return value_.has_value(); }
  const Status& status() const { return status_; }
  T& value() & {
    assert(ok());
    return *value_;
  }
  const T& value() const& {
    assert(ok());
    return *value_;
  }
  T&& value() && {
    assert(ok());
    return std::move(*value_);
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace jet

// Returns early from the enclosing function when `expr` yields a failed Status.
#define JET_RETURN_IF_ERROR(expr)          \
  do {                                     \
    ::jet::Status jet_status_ = (expr);    \
    if (!jet_status_.ok()) return jet_status_; \
  } while (false)

#define JET_CONCAT_INNER_(a, b) a##b
#define JET_CONCAT_(a, b) JET_CONCAT_INNER_(a, b)
// JET_ASSIGN_OR_RETURN(auto x, Foo()); declares x from a Result or returns its Status.
#define JET_ASSIGN_OR_RETURN(decl, expr)                                  \
  auto JET_CONCAT_(jet_result_, __LINE__) = (expr);                       \
  if (!JET_CONCAT_(jet_result_, __LINE__).ok())                           \
    return JET_CONCAT_(jet_result_, __LINE__).status();                   \
  decl = std::move(JET_CONCAT_(jet_result_, __LINE__)).value()
