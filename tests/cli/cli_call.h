// Running tarnquill-cli's commands in-process in tests: the exit code and
// what the command wrote to stdout and stderr.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace cli::testing {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

// Runs the command line `argv` (without the program name).
inline Outcome Call(const std::vector<std::string>& argv) {
  std::ostringstream out, err;
  const int code = Dispatch(argv, out, err);
  return Outcome{code, out.str(), err.str()};
}

// The table as `export` prints it; a failed export fails the test.
inline std::string Export(const std::string& path, const std::string& table,
                          const std::string& password = "") {
  const Outcome o = Call({"export", "--password", password, path, table});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  return o.out;
}

// A file of the shared corpus of real Access files.
inline std::string Corpus(const std::string& rel) {
  return (std::filesystem::path(TARNQUILL_CORPUS) / rel).string();
}

// In a forked child: becomes the built tarnquill-cli with `args`.
[[noreturn]] inline void ExecCli(const std::vector<std::string>& args) {
  std::string program = std::string(TARNQUILL_BINARY_DIR) + "/cli/tarnquill-cli";
  std::vector<char*> argv = {program.data()};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace cli::testing

// Skips the running test when the corpus is absent.
#define REQUIRE_CORPUS()                                \
  if (!std::filesystem::is_directory(TARNQUILL_CORPUS)) \
  GTEST_SKIP() << "no corpus at " << TARNQUILL_CORPUS
