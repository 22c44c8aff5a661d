#include "jet/write/write_session.h"

namespace jet {

Result<std::unique_ptr<WriteSession>> WriteSession::Open(const std::string& path,
                                                         uint32_t page_size,
                                                         JournalOptions options) {
  JET_ASSIGN_OR_RETURN(auto lock, WriteLock::Acquire(path));
  JET_ASSIGN_OR_RETURN(auto file, JournaledFile::Open(PosixFileSystem(), path, page_size, options));
  return std::unique_ptr<WriteSession>(new WriteSession(std::move(lock), std::move(file)));
}

}  // namespace jet
