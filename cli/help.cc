#include "cli/help.h"

#include <algorithm>

namespace cli {
namespace {

constexpr const char* kProgram = "tarnquill-cli";

// Options whose next argument is their value, whatever it looks like.
bool TakesValue(const std::string& option) {
  return option == "--password" || option == "--table" || option == "--field" ||
         option == "--find" || option == "--replace";
}

}  // namespace

const std::vector<CommandHelp>& AllCommandHelp() {
  static const std::vector<CommandHelp> kCommands = {
      {"tables", "[--password P] FILE", "list the user tables, one name per line",
       "Prints the names of the database's user tables in catalog order, one per line;\n"
       "system tables are left out. Opens the file for reading only.\n",
       "tarnquill-cli tables demo.mdb"},
      {"schema", "[--password P] FILE TABLE", "show a table's columns and indexes",
       "Prints one tab-separated line per column: name, type, size (characters for text,\n"
       "precision,scale for decimals, bytes otherwise) and flags (fixed or variable,\n"
       "required, auto, compressed, hyperlink). Then one line per index: \"index\", its\n"
       "name, its columns with asc or desc, and its flags (primary, unique, foreign,\n"
       "required, ignore-nulls).\n",
       "tarnquill-cli schema demo.mdb 客户"},
      {"export", "[--password P] FILE TABLE", "write a table as CSV to standard output",
       "Writes a header line with the column names, then every row in storage order.\n"
       "Fields are separated by commas and quoted when they hold a comma, a quote or a\n"
       "line break; NULL is an empty field. The form is the one import reads.\n",
       "tarnquill-cli export demo.mdb 客户 > customers.csv"},
      {"query", "[--password P] FILE STATEMENT",
       "run a select statement through the window program's data layer",
       "Runs STATEMENT the way the window lists rows and prints them as CSV (the form of\n"
       "export). The statements understood are the window's own:\n"
       "  Select * From TABLE [Where InStr(FIELD,'TEXT')]\n"
       "InStr ignores letter case; a quote inside TEXT is doubled.\n",
       "tarnquill-cli query demo.mdb \"Select * From 客户 Where InStr(地址,'北京')\""},
      {"replace",
       "FILE --table T --field F --find S --replace R [--password P] [--dry-run] [--backup]",
       "the window's Modify: replace a text in one field of the matching rows",
       "Lists the rows of table T whose field F contains S (ignoring letter case), then in\n"
       "each of them replaces every occurrence of S in F by R, ignoring letter case, and\n"
       "stores the row. Rows whose value does not change are not written. Prints how many\n"
       "rows were listed and changed.\n"
       "  --dry-run  show the first changes and the counts; write nothing\n"
       "  --backup   copy FILE to FILE.bak-YYYYMMDD-HHMMSS before the first write\n"
       "There is no undo: keep a copy of a database you cannot afford to lose.\n",
       "tarnquill-cli replace demo.mdb --table 客户 --field 地址 --find 北京 --replace 上海 "
       "--backup"},
      {"import", "[--password P] FILE TABLE CSVFILE [--create]",
       "append the rows of a CSV file to a table",
       "Appends the rows of CSVFILE, in the form export writes, to TABLE: the header names\n"
       "the columns, which must exist. The import is stored completely or not at all.\n"
       "  --create  make FILE when it does not exist, and TABLE when it is missing, with\n"
       "            text columns (memo where a value is longer than 255 characters)\n",
       "tarnquill-cli import demo.mdb 客户 more-customers.csv"},
      {"check", "[--password P] FILE", "check the file's integrity",
       "Reads every page, row, long value and index and checks that they agree. Prints\n"
       "\"OK\", or one line per problem and exits with 1. Warnings do not fail the check.\n",
       "tarnquill-cli check demo.mdb"},
      {"create-sample", "[--password P] FILE", "make a new demonstration database",
       "Creates FILE (which must not exist yet) with a customer table 客户 (Chinese\n"
       "column names, text in mixed letter case, some NULLs) and an Orders table, made\n"
       "for trying out the view and Modify. With --password the file is protected by\n"
       "that database password.\n",
       "tarnquill-cli create-sample demo.mdb"},
  };
  return kCommands;
}

const CommandHelp* FindCommandHelp(const std::string& command) {
  const auto& all = AllCommandHelp();
  auto it =
      std::find_if(all.begin(), all.end(), [&](const CommandHelp& h) { return command == h.name; });
  return it == all.end() ? nullptr : &*it;
}

void PrintOverview(std::ostream& out) {
  out << "usage: " << kProgram << " COMMAND [ARGS]\n"
      << "       " << kProgram << " COMMAND --help\n\n"
      << "Reads and changes Access (.mdb) databases with Tarnquill's own engine.\n"
      << "--password P gives the database password of a protected file (any command that\n"
      << "opens one). Exit status: 0 success, 1 failure (the message on standard error),\n"
      << "2 wrong usage.\n\n"
      << "Commands:\n";
  for (const CommandHelp& h : AllCommandHelp()) {
    const size_t name_length = std::string(h.name).size();
    out << "  " << h.name << std::string(name_length < 15 ? 15 - name_length : 1, ' ') << h.summary
        << "\n"
        << "                 e.g. " << h.example << "\n";
  }
}

void PrintCommandHelp(const CommandHelp& help, std::ostream& out) {
  std::string summary = help.summary;
  if (!summary.empty() && summary[0] >= 'a' && summary[0] <= 'z') summary[0] -= 'a' - 'A';
  out << "usage: " << kProgram << " " << help.name << " " << help.synopsis << "\n\n"
      << summary << ".\n\n"
      << help.details << "\nExample:\n  " << help.example << "\n";
}

std::string UsageLine(const std::string& command) {
  const CommandHelp* help = FindCommandHelp(command);
  if (help == nullptr) return std::string("usage: ") + kProgram + " COMMAND [ARGS]";
  return std::string("usage: ") + kProgram + " " + help->name + " " + help->synopsis + "\n" + "(" +
         kProgram + " " + help->name + " --help explains it)";
}

bool WantsHelp(const std::vector<std::string>& argv) {
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
    if (TakesValue(a)) ++i;
  }
  return false;
}

}  // namespace cli
