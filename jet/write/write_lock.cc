#include "jet/write/write_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace jet {

namespace {

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) != suffix[i]) {
      return false;
    }
  }
  return true;
}

// True when some other open file holds a lock anywhere in the file; probes
// first without side effects, then by briefly taking a shared lock (network
// file systems answer that one from the server).
Result<bool> HeldByOthers(int fd) {
#ifdef F_OFD_GETLK
  const int kGet = F_OFD_GETLK, kSet = F_OFD_SETLK;
#else
  const int kGet = F_GETLK, kSet = F_SETLK;
#endif
  struct flock probe;
  std::memset(&probe, 0, sizeof probe);
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;  // to the end and beyond: Jet locks bytes far past the end
  if (::fcntl(fd, kGet, &probe) == 0 && probe.l_type != F_UNLCK) return true;

  struct flock take;
  std::memset(&take, 0, sizeof take);
  take.l_type = F_RDLCK;
  take.l_whence = SEEK_SET;
  if (::fcntl(fd, kSet, &take) != 0) {
    if (errno == EAGAIN || errno == EACCES) return true;
    return false;  // locking unsupported here: nothing to learn
  }
  take.l_type = F_UNLCK;
  (void)::fcntl(fd, kSet, &take);
  return false;
}

// The machine name in the first user record of a lock file, if readable.
std::string FirstMachineName(int fd) {
  char buf[32];
  ssize_t n = ::pread(fd, buf, sizeof buf, 0);
  std::string name;
  for (ssize_t i = 0; i < n && buf[i] != '\0'; ++i) {
    if (!std::isprint(static_cast<unsigned char>(buf[i]))) return "";
    name += buf[i];
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace

std::string LockFilePathFor(const std::string& path) {
  if (EndsWithNoCase(path, ".mdb")) return path.substr(0, path.size() - 4) + ".ldb";
  if (EndsWithNoCase(path, ".accdb")) return path.substr(0, path.size() - 6) + ".laccdb";
  return path + ".ldb";
}

Status CheckAccessLockFile(const std::string& path) {
  const std::string lock_path = LockFilePathFor(path);
  int fd = ::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Status::Ok();
    // A lock file we may not even read is someone else's, in use or not;
    // do not guess.
    return Status::Locked("The file '" + path +
                          "' may be open in another program: its lock file '" + lock_path +
                          "' cannot be checked (" + std::strerror(errno) + ").");
  }
  struct stat st;
  bool in_use = false;
  std::string machine;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    auto held = HeldByOthers(fd);
    in_use = held.ok() && *held;
    if (in_use) machine = FirstMachineName(fd);
  }
  ::close(fd);
  if (!in_use) return Status::Ok();
  return Status::Locked("The file '" + path + "' is open in another program" +
                        (machine.empty() ? "" : " on '" + machine + "'") + " (its lock file '" +
                        lock_path + "' is in use); close it there first.");
}

Result<std::unique_ptr<WriteLock>> WriteLock::Acquire(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Status::NotFound("Could not find file '" + path + "'.");
    return Status::IOError("Cannot open '" + path + "': " + std::strerror(errno));
  }
  // flock locks belong to the open file, so a second writer in this same
  // process is refused too.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) {
      return Status::Locked("The file '" + path +
                            "' is being changed by another instance of this "
                            "program.");
    }
    return Status::IOError("Cannot lock '" + path + "': " + std::strerror(err));
  }
  Status access = CheckAccessLockFile(path);
  if (!access.ok()) {
    ::close(fd);
    return access;
  }
  return std::unique_ptr<WriteLock>(new WriteLock(path, fd));
}

WriteLock::~WriteLock() { ::close(fd_); }

}  // namespace jet
