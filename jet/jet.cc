#include "jet/jet.h"

#include "jet/write/read_open.h"
#include "jet/write/write_session.h"

namespace jet {

Result<std::unique_ptr<Database>> OpenDatabaseForReading(const std::string& path,
                                                         const OpenOptions& options,
                                                         FileSystem* fs) {
  JET_ASSIGN_OR_RETURN(auto source, OpenFileForReading(path, fs));
  return OpenDatabase(std::move(source), options);
}

Result<bool> RecoverDatabase(const std::string& path, FileSystem* fs) {
  if (fs == nullptr) fs = PosixFileSystem();
  JET_ASSIGN_OR_RETURN(const std::string real, fs->RealPath(path));
  std::unique_ptr<WriteLock> lock;
  if (fs == PosixFileSystem()) {
    JET_ASSIGN_OR_RETURN(lock, WriteLock::Acquire(real));
  }
  JET_ASSIGN_OR_RETURN(bool hot, HasHotJournal(fs, real));
  if (!hot) return false;
  JET_RETURN_IF_ERROR(RecoverUnderLock(fs, real, lock ? lock->share() : nullptr));
  return true;
}

}  // namespace jet
