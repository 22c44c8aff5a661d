#include "jet/write/read_open.h"

#include "jet/write/journal_format.h"
#include "jet/write/write_session.h"

namespace jet {

Result<std::unique_ptr<FileByteSource>> OpenFileForReading(const std::string& path,
                                                           FileSystem* fs) {
  if (fs == nullptr) fs = PosixFileSystem();
  JET_ASSIGN_OR_RETURN(const std::string real, fs->RealPath(path));
  std::shared_ptr<ShareLock> share;
  if (fs == PosixFileSystem()) {
    JET_ASSIGN_OR_RETURN(share, ShareLock::Acquire(real));
  }
  JET_ASSIGN_OR_RETURN(bool hot, HasHotJournal(fs, real));
  if (hot) {
    const std::string journal = journal::PathFor(real);
    if (!fs->CanWrite(real)) {
      return Status::IOError("An interrupted change left '" + path + "' half done; its journal '" +
                             journal +
                             "' must be rolled back before the file can be read, and that needs "
                             "the file and its folder to be writable. Make them writable (or "
                             "copy both files to a writable folder) and run: tarnquill-cli "
                             "recover '" +
                             path + "'");
    }
    if (share) JET_RETURN_IF_ERROR(CheckAccessLockFile(real));
    JET_RETURN_IF_ERROR(RecoverUnderLock(fs, real, share.get()));
  }
  JET_ASSIGN_OR_RETURN(auto source, FileByteSource::Open(fs, real, path));
  source->Keep(std::move(share));
  return source;
}

}  // namespace jet
