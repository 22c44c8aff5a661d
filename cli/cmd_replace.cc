// replace FILE --table T --field F --find S --replace R [--password P]
//         [--dry-run] [--backup]
// The window's Modify from the command line: the view's statement built from
// T, F and S, then the same loop over its rows.
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "data/bulk_replace.h"
#include "data/provider/jet_provider.h"
#include "data/share_dm.h"

namespace cli {
namespace {

constexpr int kDryRunSamples = 10;

struct ReplaceArgs {
  std::string file;
  std::optional<std::string> table, field, find, replace;
  std::string password;
  bool dry_run = false;
  bool backup = false;
};

bool ParseReplaceArgs(const std::vector<std::string>& argv, ReplaceArgs* out, std::string* error) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    std::optional<std::string>* slot = nullptr;
    std::string* text = nullptr;
    if (a == "--table") slot = &out->table;
    if (a == "--field") slot = &out->field;
    if (a == "--find") slot = &out->find;
    if (a == "--replace") slot = &out->replace;
    if (a == "--password") text = &out->password;
    if (slot != nullptr || text != nullptr) {
      if (i + 1 >= argv.size()) {
        *error = a + " needs a value";
        return false;
      }
      if (slot != nullptr) *slot = argv[++i];
      if (text != nullptr) *text = argv[++i];
    } else if (a == "--dry-run") {
      out->dry_run = true;
    } else if (a == "--backup") {
      out->backup = true;
    } else if (a.size() > 1 && a[0] == '-') {
      *error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 1 || !out->table || !out->field || !out->find || !out->replace) {
    return false;
  }
  out->file = positional[0];
  return true;
}

// A text on one line, quoted, with line breaks and quotes escaped.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// FILE.bak-YYYYMMDD-HHMMSS in local time; an existing copy is never
// overwritten.
std::string MakeBackup(const std::string& file) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string backup = file + ".bak-" + stamp;
  std::error_code ec;
  if (!std::filesystem::copy_file(file, backup, std::filesystem::copy_options::none, ec)) {
    throw std::runtime_error("cannot back up '" + file + "' to '" + backup +
                             "': " + (ec ? ec.message() : "copy failed"));
  }
  return backup;
}

}  // namespace

int RunReplace(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  ReplaceArgs args;
  std::string error;
  if (!ParseReplaceArgs(argv, &args, &error)) {
    if (!error.empty()) err << error << "\n";
    err << UsageLine("replace") << "\n";
    return kExitUsage;
  }
  const bool show_progress = &err == &std::cerr && isatty(STDERR_FILENO) != 0;

  provider::RegisterJetProvider();  // the engine serves the connection
  data::TShareDataModule module;
  data::TADOConnection& connection = module.ADOConnection1;
  try {
    connection.SetConnectionString(data::BuildConnectionString(args.file, args.password));
    connection.SetConnected(true);
  } catch (const std::exception& e) {
    err << args.file << ": " << e.what() << "\n";
    return kExitFailure;
  }

  data::ModifyOptions options;
  options.dry_run = args.dry_run;
  std::string open_failure;
  options.open_failure = &open_failure;
  std::vector<std::string> samples;
  options.on_change = [&](int64_t row, const std::string& old_text, const std::string& new_text) {
    if (args.dry_run && static_cast<int>(samples.size()) < kDryRunSamples) {
      samples.push_back("row " + std::to_string(row + 1) + ": " + Quoted(old_text) + " -> " +
                        Quoted(new_text));
    }
  };
  std::string backup;
  if (args.backup) options.before_first_write = [&] { backup = MakeBackup(args.file); };
  if (show_progress) {
    options.progress = [&err](int64_t done, int64_t total) {
      err << "\r" << done << " of " << total << " rows" << std::flush;
    };
  }

  const std::string statement = data::ViewStatement(*args.table, *args.field, *args.find);
  data::ModifyOutcome outcome;
  try {
    outcome = data::ModifyRows(module.ADOQueryTemp, statement, *args.field, *args.find,
                               *args.replace, nullptr, options);
  } catch (const std::exception& e) {
    if (show_progress) err << "\n";
    const std::string missing = MissingFieldMessage(statement, open_failure);
    if (!missing.empty()) {
      err << args.file << ": " << missing << "\n";
    } else if (!open_failure.empty()) {
      err << args.file << ": cannot list table '" << *args.table << "' by field '" << *args.field
          << "': " << open_failure << "\n";
    } else {
      err << args.file << ": table '" << *args.table << "', field '" << *args.field
          << "': " << e.what() << "\n";
    }
    if (!backup.empty()) err << "the file as it was before is in " << backup << "\n";
    return kExitFailure;
  }
  if (show_progress) err << "\n";
  if (!backup.empty()) out << "backup: " << backup << "\n";
  for (const std::string& s : samples) out << s << "\n";
  if (args.dry_run) {
    out << outcome.listed << " rows listed, " << outcome.changed
        << " rows would change (dry run, nothing written)\n";
  } else {
    out << outcome.listed << " rows listed, " << outcome.changed << " rows changed\n";
  }
  return kExitOk;
}

}  // namespace cli
