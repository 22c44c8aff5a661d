#include "cli/commands.h"

namespace cli {

bool ParseArgs(const std::vector<std::string>& argv, Args* out, std::string* error) {
  bool options_done = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && a == "--password") {
      if (i + 1 >= argv.size()) {
        *error = "--password needs a value";
        return false;
      }
      out->password = argv[++i];
      out->has_password = true;
    } else if (!options_done && a.rfind("--password=", 0) == 0) {
      out->password = a.substr(11);
      out->has_password = true;
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      out->positional.push_back(a);
    }
  }
  return true;
}

}  // namespace cli
