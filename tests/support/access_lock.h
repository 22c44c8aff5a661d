// Other processes, for tests of how files are shared: a child process that
// does one thing and waits, and Access (Jet) keeping a database open as
// other programs see it: an exclusive lock on one byte of the lock file far
// beyond its end. Header-only, so that tests of the write layer can use it
// without the rest of the support library.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

namespace tarnquill::testing {

// Forks a process that runs `body`, reports the byte it returns and waits
// until Done (or destruction); ready() is that byte, 0 when there is none.
class ChildProcess {
 public:
  explicit ChildProcess(const std::function<char()>& body) {
    if (pipe(up_) != 0 || pipe(down_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      char c = body();
      (void)!write(up_[1], &c, 1);
      (void)!read(down_[0], &c, 1);
      _exit(0);
    }
    if (pid_ < 0 || read(up_[0], &ready_, 1) != 1) ready_ = 0;
  }
  ~ChildProcess() { Done(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  char ready() const { return ready_; }
  pid_t pid() const { return pid_; }
  // The process finishes and is waited for.
  void Done() {
    if (pid_ <= 0) return;
    (void)!write(down_[1], "x", 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    ready_ = 0;
    for (int fd : {up_[0], up_[1], down_[0], down_[1]}) close(fd);
  }

 private:
  int up_[2] = {-1, -1}, down_[2] = {-1, -1};
  pid_t pid_ = -1;
  char ready_ = 0;
};

// Access holding `lock_file` (which must exist) until Release.
class AccessLockHolder : public ChildProcess {
 public:
  explicit AccessLockHolder(const std::string& lock_file)
      : ChildProcess([&lock_file] {
          const int fd = open(lock_file.c_str(), O_RDWR);
          struct flock lk;
          std::memset(&lk, 0, sizeof lk);
          lk.l_type = F_WRLCK;
          lk.l_whence = SEEK_SET;
          lk.l_start = 0x10000001;
          lk.l_len = 1;
          return fd >= 0 && fcntl(fd, F_SETLK, &lk) == 0 ? 'y' : 'n';
        }) {}

  bool holding() const { return ready() == 'y'; }
  // Access closes the database: the process lets go and ends.
  void Release() { Done(); }
};

}  // namespace tarnquill::testing
