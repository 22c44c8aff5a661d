// undo FILE REPORT.csv [--dry-run] [--password P]: puts back the old values
// a `replace --report` recorded, where a row still holds the value the
// report says was stored. Through the same loop, batches and file locking
// as replace.
#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>

#include "cli/change_report.h"
#include "cli/change_text.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "data/bulk_replace.h"
#include "data/share_dm.h"
#include "text/case_fold.h"

namespace cli {
namespace {

struct UndoCounts {
  int64_t restored = 0;
  int64_t changed_since = 0;
  int64_t not_found = 0;
};

class TableUndo {
 public:
  TableUndo(const Report& report, std::vector<const ReportEntry*> entries, bool dry_run,
            std::vector<std::string>* lines, UndoCounts* counts)
      : report_(report), entries_(std::move(entries)), dry_run_(dry_run), lines_(lines),
        counts_(counts) {
    for (const ReportEntry* e : entries_) by_key_[e->key].push_back(e);
  }

  // Restores the rows of one table; throws on failure (with failed_row set).
  void Run(data::TADOQuery& query, data::RowChange* failed_row) {
    const std::string& table = entries_.front()->table;
    data::ModifyOptions options;
    options.dry_run = dry_run_;
    options.failed_row = failed_row;
    options.open_failure = &open_failure_;
    options.on_listed = [&](data::TADOQuery& q) { CheckKeys(q, table); };
    data::RewriteRows(
        query, data::ViewStatement(table, "", ""),
        [&](data::TADOQuery& q, data::RowChange* row) { Rewrite(q, row); }, nullptr, options);
    for (const auto& [key, entries] : by_key_) {
      for (const ReportEntry* e : entries) {
        ++counts_->not_found;
        lines_->push_back(Name(*e) + " " + e->field + ": not found");
      }
    }
  }

  const std::string& open_failure() const { return open_failure_; }
  const std::vector<std::string>& key_names() const { return key_names_; }

 private:
  bool Positions() const {
    return report_.key_names.size() == 1 && report_.key_names[0] == kPositionColumn;
  }

  void CheckKeys(data::TADOQuery& query, const std::string& table) {
    keys_ = data::KeyFields(query);
    key_names_.clear();
    for (const data::TField* k : keys_) key_names_.push_back(k->FieldName());
    bool same = keys_.empty() ? Positions() : key_names_.size() == report_.key_names.size();
    for (size_t i = 0; same && i < keys_.size(); ++i) {
      same = text::EqualsIgnoreCase(key_names_[i], report_.key_names[i]);
    }
    if (same) return;
    std::string has = keys_.empty() ? "no primary key" : "the primary key";
    for (const std::string& k : key_names_) has += " " + k;
    std::string named;
    for (const std::string& k : report_.key_names) named += " " + k;
    throw std::runtime_error("the report names rows by" + named + ", but table '" + table +
                             "' has " + has + " now");
  }

  std::string Name(const ReportEntry& e) const {
    if (Positions()) return "row " + e.key.front();
    data::RowChange row;
    row.key = e.key;
    return RowName(report_.key_names, row);
  }

  void Rewrite(data::TADOQuery& query, data::RowChange* row) {
    const std::vector<std::string> key =
        keys_.empty() ? std::vector<std::string>{std::to_string(row->position)}
                      : data::KeyTexts(keys_);
    auto it = by_key_.find(key);
    if (it == by_key_.end()) return;
    std::vector<const ReportEntry*> entries = std::move(it->second);
    by_key_.erase(it);
    // Each field once: its records in the report's order, undone from the
    // last (a field replaced twice goes back through both).
    std::vector<bool> done(entries.size(), false);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (done[i]) continue;
      data::TField* field = query.FindField(entries[i]->field);
      std::vector<const ReportEntry*> same_field;
      for (size_t j = i; j < entries.size(); ++j) {
        if (!done[j] && text::EqualsIgnoreCase(entries[j]->field, entries[i]->field)) {
          same_field.push_back(entries[j]);
          done[j] = true;
        }
      }
      if (field == nullptr) {
        for (const ReportEntry* e : same_field) {
          ++counts_->not_found;
          lines_->push_back(Name(*e) + " " + e->field + ": no such field");
        }
        continue;
      }
      const std::optional<std::string> now =
          field->IsNull() ? std::nullopt : std::optional<std::string>(field->TextValue());
      std::optional<std::string> value = now;
      for (auto e = same_field.rbegin(); e != same_field.rend(); ++e) {
        if (value && *value == (*e)->new_text) {
          value = (*e)->old_text;
          ++counts_->restored;
        } else {
          ++counts_->changed_since;
          lines_->push_back(Name(**e) + " " + (*e)->field + ": changed since, now " +
                            (value ? ShowText(*value) : "NULL") + ", the report stored " +
                            ShowText((*e)->new_text) + "; left alone");
        }
      }
      if (value != now) {
        data::FieldChange& change = row->fields.emplace_back();
        change.field = field->FieldName();
        change.old_text = now.value_or("");
        change.change.text = *value;
      }
    }
  }

  const Report& report_;
  std::vector<const ReportEntry*> entries_;
  bool dry_run_;
  std::vector<std::string>* lines_;
  UndoCounts* counts_;
  std::map<std::vector<std::string>, std::vector<const ReportEntry*>> by_key_;
  std::vector<data::TField*> keys_;
  std::vector<std::string> key_names_;
  std::string open_failure_;
};

}  // namespace

int RunUndo(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  bool dry_run = false;
  std::vector<std::string> rest;
  bool options_done = false;
  for (const std::string& a : argv) {
    if (a == "--") options_done = true;
    if (!options_done && a == "--dry-run") {
      dry_run = true;
    } else {
      rest.push_back(a);
    }
  }
  Args args;
  if (!ParseCommandArgs("undo", rest, 2, &args, err)) return kExitUsage;
  const std::string& file = args.positional[0];
  Report report;
  std::string error;
  if (!ReadReport(args.positional[1], &report, &error)) {
    err << error << "\n";
    return kExitFailure;
  }

  data::TShareDataModule module;
  try {
    module.ADOConnection1.SetConnectionString(data::BuildConnectionString(file, args.password));
    module.ADOConnection1.SetConnected(true);
  } catch (const std::exception& e) {
    err << InFile(file, e.what()) << "\n";
    return kExitFailure;
  }

  // The tables in the order the report first names them.
  std::vector<std::vector<const ReportEntry*>> tables;
  for (const ReportEntry& e : report.entries) {
    auto same = [&](const auto& t) { return text::EqualsIgnoreCase(t.front()->table, e.table); };
    auto it = std::find_if(tables.begin(), tables.end(), same);
    if (it == tables.end()) {
      tables.push_back({&e});
    } else {
      it->push_back(&e);
    }
  }
  UndoCounts counts;
  std::vector<std::string> lines;
  for (const auto& entries : tables) {
    TableUndo undo(report, entries, dry_run, &lines, &counts);
    data::RowChange failed_row;
    try {
      undo.Run(module.ADOQueryTemp, &failed_row);
    } catch (const std::exception& e) {
      for (const std::string& line : lines) out << line << "\n";
      const std::string& table = entries.front()->table;
      std::string where = "table '" + table + "'";
      if (!undo.open_failure().empty()) {
        err << InFile(file, "cannot list table '" + table + "': " + undo.open_failure()) << "\n";
        return kExitFailure;
      }
      for (const data::FieldChange& f : failed_row.fields) where += ", field '" + f.field + "'";
      if (failed_row.position > 0) where += ", " + RowReference(undo.key_names(), failed_row);
      err << InFile(file, where + ": " + e.what()) << "\n";
      return kExitFailure;
    }
  }
  for (const std::string& line : lines) out << line << "\n";
  out << counts.restored << " restored, " << counts.changed_since << " changed since, "
      << counts.not_found << " not found" << (dry_run ? " (dry run, nothing written)" : "")
      << "\n";
  return kExitOk;
}

}  // namespace cli
