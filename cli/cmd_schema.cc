// tarnquill-cli schema FILE TABLE: one tab-separated line per column
// (name, type, size, flags), then one line per index.
#include <string>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"

namespace cli {

namespace {
std::string ColumnSize(const jet::ColumnDef& c) {
  if (c.type == jet::ColumnType::kText) return std::to_string(c.max_chars);
  if (c.type == jet::ColumnType::kNumeric) {
    return std::to_string(c.precision) + "," + std::to_string(c.scale);
  }
  return std::to_string(c.size);
}

std::string ColumnFlags(const jet::ColumnDef& c) {
  std::string f = c.fixed ? "fixed" : "variable";
  if (c.required) f += " required";
  if (c.auto_number) f += " auto";
  if (c.compressed_unicode) f += " compressed";
  if (c.hyperlink) f += " hyperlink";
  return f;
}
}  // namespace

int RunSchema(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  std::string error;
  if (!ParseArgs(argv, &args, &error) || args.positional.size() != 2) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("schema") << "\n";
    return kExitUsage;
  }
  auto db = OpenOrReport(args, err);
  if (!db) return kExitFailure;
  auto table = db->FindTable(args.positional[1]);
  if (!table.ok()) {
    err << InFile(args.positional[0], table.status().message()) << "\n";
    return kExitFailure;
  }
  for (const jet::ColumnDef& c : table->columns) {
    out << c.name << "\t" << jet::ColumnTypeName(c.type) << "\t" << ColumnSize(c) << "\t"
        << ColumnFlags(c) << "\n";
  }
  for (const jet::IndexDef& x : table->indexes) {
    out << "index\t" << x.name << "\t";
    for (size_t i = 0; i < x.columns.size(); ++i) {
      if (i > 0) out << ", ";
      out << table->columns[x.columns[i].column].name
          << (x.columns[i].ascending ? " asc" : " desc");
    }
    out << "\t";
    std::string flags;
    if (x.primary) flags += " primary";
    if (x.unique) flags += " unique";
    if (x.foreign_key) flags += " foreign";
    if (x.required) flags += " required";
    if (x.ignore_nulls) flags += " ignore-nulls";
    out << (flags.empty() ? "" : flags.substr(1)) << "\n";
  }
  return kExitOk;
}

}  // namespace cli
