// replace FILE... --table T --field F [--field F2 ...] --find S --replace R
//   [--password P] [--match-case] [--whole-field] [--regex]
//   [--dry-run] [--show N] [--report FILE.csv] [--backup]
// The window's Modify from the command line: by default the view's
// statement built from T, F and S, then the same loop and the same matching
// over its rows; the options choose other rules, several fields and files.
#include <unistd.h>

#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "cli/change_report.h"
#include "cli/change_text.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "cli/regex_rule.h"
#include "data/bulk_replace.h"
#include "data/share_dm.h"
#include "text/case_fold.h"

namespace cli {
namespace {

constexpr int kDryRunShown = 20;

struct ReplaceArgs {
  std::vector<std::string> files;
  std::optional<std::string> table, find, replace;
  std::vector<std::string> fields;
  std::string password;
  std::string report;
  int show = -1;  // -1: the default (kDryRunShown on a dry run, none otherwise)
  bool dry_run = false;
  bool backup = false;
  bool match_case = false;
  bool whole_field = false;
  bool regex = false;
};

// Parses `argv`; false with the problem in *error (empty for a plain
// missing argument).
bool ParseReplaceArgs(const std::vector<std::string>& argv, ReplaceArgs* out, std::string* error) {
  bool options_done = false;
  for (size_t i = 0; i < argv.size(); ++i) {
    std::string a = argv[i];
    if (options_done || a.size() < 2 || a[0] != '-') {
      out->files.push_back(a);
      continue;
    }
    if (a == "--") {
      options_done = true;
      continue;
    }
    bool* flag = a == "--dry-run"       ? &out->dry_run
                 : a == "--backup"      ? &out->backup
                 : a == "--match-case"  ? &out->match_case
                 : a == "--whole-field" ? &out->whole_field
                 : a == "--regex"       ? &out->regex
                                        : nullptr;
    if (flag != nullptr) {
      *flag = true;
      continue;
    }
    std::optional<std::string> value;
    if (const size_t eq = a.find('='); eq != std::string::npos) {
      value = a.substr(eq + 1);
      a.resize(eq);
    }
    if (a != "--table" && a != "--field" && a != "--find" && a != "--replace" &&
        a != "--password" && a != "--show" && a != "--report") {
      *error = "unknown option " + argv[i];
      return false;
    }
    if (!value) {
      if (i + 1 >= argv.size()) {
        *error = a + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (a == "--table") out->table = *value;
    if (a == "--find") out->find = *value;
    if (a == "--replace") out->replace = *value;
    if (a == "--password") out->password = *value;
    if (a == "--report") out->report = *value;
    if (a == "--field") {
      for (const std::string& f : out->fields) {
        if (text::EqualsIgnoreCase(f, *value)) {
          *error = "--field " + *value + " is given twice";
          return false;
        }
      }
      out->fields.push_back(*value);
    }
    if (a == "--show") {
      if (value->empty() || value->size() > 9 ||
          value->find_first_not_of("0123456789") != std::string::npos) {
        *error = "--show needs a number of changes, not '" + *value + "'";
        return false;
      }
      out->show = std::stoi(*value);
    }
  }
  if (out->dry_run && !out->report.empty()) {
    *error = "--report records the rows stored, and a dry run stores none";
    return false;
  }
  return !out->files.empty() && out->table && !out->fields.empty() && out->find && out->replace;
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

// The report of each file: REPORT itself for one file; for several,
// REPORT's name with the database's name added ("changes-a.csv" for a.mdb).
// Empty when two files would share one report.
std::vector<std::string> ReportPaths(const std::string& report,
                                     const std::vector<std::string>& files) {
  namespace fs = std::filesystem;
  if (files.size() == 1) return {report};
  std::vector<std::string> paths;
  const fs::path base(report);
  for (const std::string& file : files) {
    fs::path p = base;
    p.replace_filename(base.stem().string() + "-" + fs::path(file).stem().string() +
                       base.extension().string());
    for (const std::string& earlier : paths) {
      if (earlier == p.string()) return {};
    }
    paths.push_back(p.string());
  }
  return paths;
}

// A failure whose message is complete (it only needs the file's name).
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string FieldList(const std::vector<std::string>& fields) {
  std::string list = fields.size() == 1 ? "field " : "fields ";
  for (size_t i = 0; i < fields.size(); ++i) list += (i > 0 ? ", '" : "'") + fields[i] + "'";
  return list;
}

class FileReplace {
 public:
  FileReplace(const ReplaceArgs& args, const data::ReplaceRule& rule, std::ostream& out,
              std::ostream& err)
      : args_(args), rule_(rule), out_(out), err_(err) {}

  // Replaces in `file`; false (with the message on err) when it failed.
  bool Run(const std::string& file, const std::string& report_path, bool named) {
    file_ = file;
    outcome_ = {};
    shown_.clear();
    key_names_.clear();
    std::string error;
    if (!report_path.empty()) {
      report_ = ReportWriter::Create(report_path, &error);
      if (!report_) {
        err_ << InFile(file, error) << "\n";
        return false;
      }
    }
    const bool ok = Replace();
    // A report without a row stored records nothing to undo: it goes, so
    // that it does not stand in the way of the same command run again.
    if (report_ && (!report_->started() || (!ok && report_->rows() == 0))) {
      report_.reset();
      std::filesystem::remove(report_path);
    }
    if (ok && !backup_.empty()) out_ << "backup: " << backup_ << "\n";
    if (ok && report_) {
      out_ << "report: " << report_->path() << " (" << report_->rows() << " rows)\n";
    }
    if (ok) {
      PrintSummary(named);
    } else if (named) {
      out_ << file_ << ": failed\n";
    }
    report_.reset();
    backup_.clear();
    return ok;
  }

  const data::ModifyOutcome& outcome() const { return outcome_; }

 private:
  bool Replace() {
    const bool show_progress = &err_ == &std::cerr && isatty(STDERR_FILENO) != 0;
    data::TShareDataModule module;
    data::TADOConnection& connection = module.ADOConnection1;
    try {
      connection.SetConnectionString(data::BuildConnectionString(file_, args_.password));
      connection.SetConnected(true);
    } catch (const std::exception& e) {
      err_ << InFile(file_, e.what()) << "\n";
      return false;
    }
    const std::optional<std::string> listed_by = rule_.ListedBy();
    const std::string whole_table = data::ViewStatement(*args_.table, "", "");
    const std::string statement = args_.fields.size() == 1 && listed_by
                                      ? data::ViewStatement(*args_.table, args_.fields[0], *listed_by)
                                      : whole_table;
    const size_t show = args_.show >= 0 ? static_cast<size_t>(args_.show)
                                        : args_.dry_run ? kDryRunShown
                                                        : 0;
    data::ModifyOptions options;
    options.dry_run = args_.dry_run;
    options.key_columns = true;
    options.keyless_statement = whole_table;
    std::string open_failure;
    options.open_failure = &open_failure;
    data::RowChange failed_row;
    options.failed_row = &failed_row;
    options.observer = report_.get();
    options.on_listed = [&](data::TADOQuery& query) {
      for (const std::string& f : args_.fields) {
        if (query.FindField(f) == nullptr) {
          throw Refusal("table '" + *args_.table + "' has no field '" + f + "'");
        }
      }
      for (const data::TField* k : data::KeyFields(query)) key_names_.push_back(k->FieldName());
      if (report_) report_->Start(*args_.table, key_names_);
    };
    const bool colour = UseColour(out_);
    options.on_change = [&](const data::RowChange& row) {
      for (const data::FieldChange& f : row.fields) {
        if (f.change.text == f.old_text) continue;
        if (shown_.size() < show) {
          shown_.push_back(ChangeLine(key_names_, row, f, args_.fields.size() > 1, colour));
        } else if (show > 0) {
          ++not_shown_;
        }
      }
    };
    if (args_.backup) options.before_first_write = [&] { backup_ = MakeBackup(file_); };
    if (show_progress) {
      options.progress = [this](int64_t done, int64_t total) {
        err_ << "\r" << done << " of " << total << " rows" << std::flush;
      };
    }
    not_shown_ = 0;
    try {
      outcome_ = data::ReplaceInFields(module.ADOQueryTemp, statement, args_.fields, rule_,
                                       nullptr, options);
    } catch (const Refusal& e) {
      if (show_progress) err_ << "\n";
      err_ << InFile(file_, e.what()) << "\n";
      return false;
    } catch (const std::exception& e) {
      if (show_progress) err_ << "\n";
      const std::string missing = MissingFieldMessage(statement, open_failure);
      if (!missing.empty()) {
        err_ << InFile(file_, missing) << "\n";
      } else if (!open_failure.empty()) {
        err_ << InFile(file_, "cannot list table '" + *args_.table + "': " + open_failure) << "\n";
      } else {
        std::vector<std::string> fields;
        for (const data::FieldChange& f : failed_row.fields) fields.push_back(f.field);
        std::string where = "table '" + *args_.table + "', " +
                            FieldList(fields.empty() ? args_.fields : fields);
        if (failed_row.position > 0) where += ", " + RowReference(key_names_, failed_row);
        err_ << InFile(file_, where + ": " + e.what()) << "\n";
      }
      if (report_ && report_->rows() > 0) {
        err_ << "the " << report_->rows() << " rows stored are in " << report_->path() << "\n";
      }
      if (!backup_.empty()) err_ << "the file as it was before is in " << backup_ << "\n";
      return false;
    }
    if (show_progress) err_ << "\n";
    return true;
  }

  void PrintSummary(bool named) {
    if (named) out_ << file_ << ": ";
    out_ << outcome_.matched << " rows matched, " << outcome_.changed
         << (args_.dry_run ? " rows would change (dry run, nothing written)\n" : " rows changed\n");
    for (const std::string& line : shown_) out_ << "  " << line << "\n";
    if (not_shown_ > 0) out_ << "  … and " << not_shown_ << " more\n";
  }

  const ReplaceArgs& args_;
  const data::ReplaceRule& rule_;
  std::ostream& out_;
  std::ostream& err_;
  std::string file_;
  std::unique_ptr<ReportWriter> report_;
  std::string backup_;
  data::ModifyOutcome outcome_;
  std::vector<std::string> key_names_;
  std::vector<std::string> shown_;
  int64_t not_shown_ = 0;
};

}  // namespace

int RunReplace(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  ReplaceArgs args;
  std::string error;
  std::unique_ptr<data::ReplaceRule> rule;
  std::vector<std::string> reports(1);
  if (ParseReplaceArgs(argv, &args, &error)) {
    if (args.regex) {
      rule = RegexRule(*args.find, *args.replace, {args.match_case, args.whole_field}, &error);
    } else if (args.whole_field) {
      rule = data::WholeFieldRule(*args.find, *args.replace, args.match_case);
    } else {
      rule = data::ContainsRule(*args.find, *args.replace, args.match_case);
    }
    if (!args.report.empty()) {
      reports = ReportPaths(args.report, args.files);
      if (reports.empty()) error = "--report: two files of the same name would share one report";
    } else {
      reports.assign(args.files.size(), std::string());
    }
  }
  if (!rule || !error.empty()) {
    if (!error.empty()) err << error << "\n";
    err << UsageLine("replace") << "\n";
    return kExitUsage;
  }

  FileReplace replace(args, *rule, out, err);
  const bool several = args.files.size() > 1;
  int64_t changed = 0;
  size_t failed = 0;
  for (size_t i = 0; i < args.files.size(); ++i) {
    if (!replace.Run(args.files[i], reports[i], several)) {
      ++failed;
      continue;
    }
    changed += replace.outcome().changed;
  }
  if (several) {
    out << "total: " << changed << (args.dry_run ? " rows would change in " : " rows changed in ")
        << (args.files.size() - failed) << " files";
    if (failed > 0) out << ", " << failed << (failed == 1 ? " file" : " files") << " failed";
    out << "\n";
  }
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace cli
