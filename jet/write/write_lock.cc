#include "jet/write/write_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

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
  return Status::Locked("The file '" + path + "' is open in Access" +
                        (machine.empty() ? "" : " on '" + machine + "'") +
                        " (its lock file '" + lock_path +
                        "' is in use); it can be read but not changed until Access closes it.");
}

// The process-wide state of one file: the descriptor holding the flock and
// who in this process uses it.
struct ShareLock::Entry {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  int fd = -1;
  std::mutex mu;
  int exclusive = 0;  // nested BeginExclusive calls
  bool writer = false;
  ~Entry() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mu;
  return mu;
}
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<ShareLock::Entry>>& Registry() {
  static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<ShareLock::Entry>> files;
  return files;
}

// Tries `op` (LOCK_SH or LOCK_EX, non-blocking) until it succeeds or `wait`
// has passed. EWOULDBLOCK at the end; another errno on a real failure.
int FlockWithin(int fd, int op, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, op | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return errno;
    if (std::chrono::steady_clock::now() >= deadline) return EWOULDBLOCK;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Who else holds a lock on the file, as "the Tarnquill program (process N)"
// or "another program (process N, 'name')"; "another program" when the
// system does not tell.
std::string HolderOf(dev_t device, ino_t inode) {
  std::ifstream locks("/proc/locks");
  std::string line;
  char wanted[64];
  std::snprintf(wanted, sizeof wanted, ":%lu", static_cast<unsigned long>(inode));
  while (std::getline(locks, line)) {
    std::istringstream in(line);
    std::string id, kind, mode, access, pid_text, where;
    in >> id >> kind;
    if (kind == "->") in >> kind;  // a waiter, not a holder
    in >> mode >> access >> pid_text >> where;
    unsigned major_no = 0, minor_no = 0;
    unsigned long ino = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%lu", &major_no, &minor_no, &ino) != 3) continue;
    if (ino != inode || major_no != major(device) || minor_no != minor(device)) continue;
    const long pid = std::strtol(pid_text.c_str(), nullptr, 10);
    if (pid <= 0 || pid == ::getpid()) continue;
    std::string comm;
    std::ifstream(("/proc/" + std::to_string(pid) + "/comm").c_str()) >> comm;
    if (comm.rfind("tarnquill", 0) == 0) {
      return "the Tarnquill program '" + comm + "' (process " + std::to_string(pid) + ")";
    }
    return "another program (process " + std::to_string(pid) +
           (comm.empty() ? std::string() : ", '" + comm + "'") + ")";
  }
  return "another program";
}

}  // namespace

Result<std::unique_ptr<ShareLock>> ShareLock::Acquire(const std::string& path,
                                                      std::chrono::milliseconds wait) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return Status::NotFound("Could not find file '" + path + "'.");
    }
    return Status::IOError("Cannot open '" + path + "': " + std::strerror(errno));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return Status::IOError("Cannot open '" + path + "': " + std::strerror(err));
  }
  std::lock_guard<std::mutex> guard(RegistryMutex());
  auto& slot = Registry()[{st.st_dev, st.st_ino}];
  if (auto entry = slot.lock()) {
    ::close(fd);
    return std::unique_ptr<ShareLock>(new ShareLock(std::move(entry)));
  }
  const int err = FlockWithin(fd, LOCK_SH, wait);
  if (err != 0) {
    ::close(fd);
    if (err == EWOULDBLOCK) {
      return Status::Locked("The file '" + path + "' is being changed by " +
                            HolderOf(st.st_dev, st.st_ino) + "; try again when it has finished.");
    }
    return Status::IOError("Cannot lock '" + path + "': " + std::strerror(err));
  }
  auto entry = std::make_shared<Entry>();
  entry->path = path;
  entry->device = st.st_dev;
  entry->inode = st.st_ino;
  entry->fd = fd;
  slot = entry;
  return std::unique_ptr<ShareLock>(new ShareLock(std::move(entry)));
}

ShareLock::~ShareLock() {
  if (exclusive_) EndExclusive();
  std::lock_guard<std::mutex> guard(RegistryMutex());
  const auto key = std::make_pair(entry_->device, entry_->inode);
  entry_.reset();
  auto it = Registry().find(key);
  if (it != Registry().end() && it->second.expired()) Registry().erase(it);
}

const std::string& ShareLock::path() const { return entry_->path; }

Status ShareLock::BeginExclusive(std::chrono::milliseconds wait) {
  std::lock_guard<std::mutex> guard(entry_->mu);
  if (exclusive_) return Status::Ok();
  if (entry_->exclusive == 0) {
    // A failed upgrade may drop the shared lock (the system converts by
    // unlocking first), so take it back before giving up.
    const int err = FlockWithin(entry_->fd, LOCK_EX, wait);
    if (err != 0) {
      (void)FlockWithin(entry_->fd, LOCK_SH, kReadWait);
      if (err == EWOULDBLOCK) {
        return Status::Locked("The file '" + entry_->path + "' is open in " +
                              HolderOf(entry_->device, entry_->inode) +
                              "; close it there and try again. Nothing was changed.");
      }
      return Status::IOError("Cannot lock '" + entry_->path + "': " + std::strerror(err));
    }
  }
  ++entry_->exclusive;
  exclusive_ = true;
  return Status::Ok();
}

void ShareLock::EndExclusive() {
  std::lock_guard<std::mutex> guard(entry_->mu);
  if (!exclusive_) return;
  exclusive_ = false;
  // Going back down to shared never waits: nobody else can hold the file.
  if (--entry_->exclusive == 0) (void)::flock(entry_->fd, LOCK_SH);
}

Result<std::unique_ptr<WriteLock>> WriteLock::Acquire(const std::string& path,
                                                      std::chrono::milliseconds wait) {
  JET_ASSIGN_OR_RETURN(auto share, ShareLock::Acquire(path, std::max(wait, kWriteWait)));
  {
    std::lock_guard<std::mutex> guard(share->entry_->mu);
    if (share->entry_->writer) {
      return Status::Locked("The file '" + path +
                            "' is already being changed by this program; finish that first.");
    }
    share->entry_->writer = true;
  }
  std::unique_ptr<WriteLock> lock(new WriteLock(std::move(share), wait));
  JET_RETURN_IF_ERROR(CheckAccessLockFile(path));
  return lock;
}

WriteLock::~WriteLock() {
  std::lock_guard<std::mutex> guard(share_->entry_->mu);
  share_->entry_->writer = false;
}

Status WriteLock::BeginStep() {
  JET_RETURN_IF_ERROR(share_->BeginExclusive(wait_));
  Status access = CheckAccessLockFile(path());
  if (!access.ok()) share_->EndExclusive();
  return access;
}

void WriteLock::EndStep() { share_->EndExclusive(); }

}  // namespace jet
