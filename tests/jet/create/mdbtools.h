// Running the independent mdbtools readers on files we created; tests skip
// when the tools are not installed.
#pragma once

#include <cstdio>
#include <string>

namespace tarnquill::testing {

inline bool HaveMdbTools() { return std::system("command -v mdb-export >/dev/null 2>&1") == 0; }

// Standard output of the shell command `command`; *status gets the exit code.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = ::pclose(p);
  if (status) *status = rc;
  return out;
}

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

}  // namespace tarnquill::testing
