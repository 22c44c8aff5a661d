// Access (Jet) keeping a database open, as other programs see it: another
// process holds an exclusive lock on one byte of the lock file far beyond
// its end. Header-only, so that tests of the write layer can use it without
// the rest of the support library.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace tarnquill::testing {

class AccessLockHolder {
 public:
  // Forks a process that locks `lock_file` (which must exist) and keeps the
  // lock until Release; returns once it holds it or has failed to.
  explicit AccessLockHolder(const std::string& lock_file) {
    if (pipe(ready_) != 0 || pipe(done_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(lock_file.c_str(), O_RDWR);
      struct flock lk;
      std::memset(&lk, 0, sizeof lk);
      lk.l_type = F_WRLCK;
      lk.l_whence = SEEK_SET;
      lk.l_start = 0x10000001;
      lk.l_len = 1;
      char c = fd >= 0 && fcntl(fd, F_SETLK, &lk) == 0 ? 'y' : 'n';
      (void)!write(ready_[1], &c, 1);
      (void)!read(done_[0], &c, 1);
      _exit(0);
    }
    char c = 0;
    holding_ = pid_ > 0 && read(ready_[0], &c, 1) == 1 && c == 'y';
  }
  ~AccessLockHolder() { Release(); }
  AccessLockHolder(const AccessLockHolder&) = delete;
  AccessLockHolder& operator=(const AccessLockHolder&) = delete;

  bool holding() const { return holding_; }
  // Access closes the database: the process lets go and ends.
  void Release() {
    if (pid_ <= 0) return;
    (void)!write(done_[1], "x", 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    holding_ = false;
    for (int fd : {ready_[0], ready_[1], done_[0], done_[1]}) close(fd);
  }

 private:
  int ready_[2] = {-1, -1}, done_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool holding_ = false;
};

}  // namespace tarnquill::testing
