// tarnquill-cli commands. Each takes its arguments (after the command name)
// and the streams to write to, and returns the process exit code:
// 0 success, 1 failure (message on `err`), 2 usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Positional arguments and options common to the commands.
struct Args {
  std::vector<std::string> positional;
  std::string password;
  bool has_password = false;
};

// Splits `argv` into positional arguments and --password P / --password=P.
// Returns false (with a message in *error) on an unknown option or a missing value.
bool ParseArgs(const std::vector<std::string>& argv, Args* out, std::string* error);

int RunTables(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunSchema(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunExport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunImport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunCreateSample(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunQuery(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunReplace(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunRecover(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunUndo(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);
int RunRepair(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

// Runs the whole command line (argv without the program name).
int Dispatch(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

}  // namespace cli
