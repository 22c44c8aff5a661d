// Opening the file named on the command line, the same way for every command.
#pragma once

#include <memory>
#include <ostream>

#include "cli/commands.h"
#include "jet/database.h"

namespace cli {

// Opens args.positional[0] read-only with the given password; on failure
// writes the message to `err` and returns null.
std::unique_ptr<jet::Database> OpenOrReport(const Args& args, std::ostream& err);

}  // namespace cli
