// tarnquill-cli's help: one entry per command, with its synopsis, what it
// does and an example, shown by `tarnquill-cli --help` (all commands) and
// `tarnquill-cli COMMAND --help` (one in full).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct CommandHelp {
  const char* name;
  const char* synopsis;  // the arguments after the command name
  const char* summary;   // one line
  const char* details;   // paragraphs, already wrapped
  const char* example;
};

// Every command, in the order the overview lists them.
const std::vector<CommandHelp>& AllCommandHelp();

// The entry of `command`, or null when there is no such command.
const CommandHelp* FindCommandHelp(const std::string& command);

// The overview: usage, options, each command with its summary and example.
void PrintOverview(std::ostream& out);
// One command in full.
void PrintCommandHelp(const CommandHelp& help, std::ostream& out);
// The one-line usage of `command` with the hint to ask for more; for usage
// errors.
std::string UsageLine(const std::string& command);

// Whether `argv` (after the command name) asks for help: "--help" or "-h"
// as an argument of its own, not as the value of an option that takes one
// and not after "--".
bool WantsHelp(const std::vector<std::string>& argv);

}  // namespace cli
