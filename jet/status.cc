#include "jet/status.h"

namespace jet {

namespace {
const char* CodeName(Status::Code code) {
  switch (code) {
    case Status::Code::kOk: return "OK";
    case Status::Code::kNotFound: return "Not found";
    case Status::Code::kCorruption: return "Corruption";
    case Status::Code::kNotSupported: return "Not supported";
    case Status::Code::kInvalidArgument: return "Invalid argument";
    case Status::Code::kIOError: return "I/O error";
    case Status::Code::kBadPassword: return "Bad password";
    case Status::Code::kLocked: return "Locked";
    case Status::Code::kReadOnly: return "Read-only";
    case Status::Code::kConstraint: return "Constraint";
  }
  return "Unknown";
}
}  // namespace

std::string Status::ToString() const {
  if (ok()) return "OK";
  return std::string(CodeName(code_)) + ": " + message_;
}

Status Status::WithContext(const std::string& context) const {
  if (ok()) return *this;
  return Status(code_, context + ": " + message_);
}

}  // namespace jet
