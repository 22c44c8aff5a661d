// tarnquill-cli export FILE TABLE: the table as CSV on stdout, rows in storage order.
#include <string>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "jet/value_text.h"

namespace cli {

int RunExport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  std::string error;
  if (!ParseArgs(argv, &args, &error) || args.positional.size() != 2) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("export") << "\n";
    return kExitUsage;
  }
  auto db = OpenOrReport(args, err);
  if (!db) return kExitFailure;
  auto table = db->FindTable(args.positional[1]);
  if (!table.ok()) {
    err << InFile(args.positional[0], table.status().message()) << "\n";
    return kExitFailure;
  }
  auto cursor = db->Scan(*table);
  if (!cursor.ok()) {
    err << InFile(args.positional[0], cursor.status().message()) << "\n";
    return kExitFailure;
  }
  std::string line;
  for (size_t i = 0; i < table->columns.size(); ++i) {
    if (i > 0) line.push_back(',');
    line += jet::CsvName(table->columns[i].name);
  }
  out << line << "\n";
  // Rows are gathered into large blocks: one stream write per block, not per row.
  constexpr size_t kBlock = 1 << 16;
  std::string block;
  block.reserve(kBlock + 4096);
  for (;;) {
    auto more = (*cursor)->Next();
    if (!more.ok()) {
      out << block;
      out.flush();
      err << InFile(args.positional[0], more.status().message()) << "\n";
      return kExitFailure;
    }
    if (!*more) break;
    const size_t row_start = block.size();
    for (size_t i = 0; i < table->columns.size(); ++i) {
      auto v = (*cursor)->Get(i);
      if (!v.ok()) {
        block.resize(row_start);  // complete rows only
        out << block;
        out.flush();
        err << InFile(args.positional[0], v.status().message()) << "\n";
        return kExitFailure;
      }
      if (i > 0) block.push_back(',');
      jet::AppendCsvField(*v, &block);
    }
    block.push_back('\n');
    if (block.size() >= kBlock) {
      out << block;
      block.clear();
    }
  }
  out << block;
  out.flush();
  if (!out) {
    err << "could not write the exported rows\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace cli
