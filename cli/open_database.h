// Opening the file named on the command line, the same way for every command.
#pragma once

#include <memory>
#include <ostream>
#include <string>

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

// Opens args.positional[0] read-only with the given password; on failure
// writes the message to `err` and returns null.
std::unique_ptr<jet::Database> OpenOrReport(const Args& args, std::ostream& err);

}  // namespace cli
