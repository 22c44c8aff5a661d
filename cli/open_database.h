// Opening the file named on the command line, the same way for every command.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "jet/database.h"

namespace cli {

// `message` as it should reach the user: prefixed with "FILE: " unless it
// names the file already, so that every failure says which file it is about.
std::string InFile(const std::string& file, const std::string& message);

// For a statement that failed with the provider's missing-parameter
// description because its InStr names no field of the table: "table 'T' has
// no field 'F'". Empty for any other failure.
std::string MissingFieldMessage(const std::string& statement, const std::string& failure);

// Parses `argv` for `command`, which takes exactly `positional` arguments
// besides its options. Returns false after writing the problem (when there
// is one) and the command's usage line to `err`; the caller then exits with
// kExitUsage.
bool ParseCommandArgs(const std::string& command, const std::vector<std::string>& argv,
                      size_t positional, Args* args, std::ostream& err);

// Opens args.positional[0] read-only with the given password; on failure
// writes the message to `err` and returns null.
std::unique_ptr<jet::Database> OpenOrReport(const Args& args, std::ostream& err);

// A table of the file named on the command line, with the open database
// that reads it.
struct OpenedTable {
  std::unique_ptr<jet::Database> db;
  jet::TableDef table;
};

// Opens the file args.positional[0] as OpenOrReport does and finds the table
// args.positional[1] in it (ignoring case). On failure writes the message,
// naming the file, to `err` and returns nullopt.
std::optional<OpenedTable> OpenTableOrReport(const Args& args, std::ostream& err);

}  // namespace cli
