#include "cli/help.h"

#include <algorithm>

namespace cli {
namespace {

constexpr const char* kProgram = "tarnquill-cli";

// Options whose next argument is their value, whatever it looks like.
bool TakesValue(const std::string& option) {
  return option == "--password" || option == "--table" || option == "--field" ||
         option == "--find" || option == "--replace" || option == "--show" ||
         option == "--report";
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
       "FILE... --table T --field F [--field F2 ...] --find S --replace R [OPTIONS]",
       "the window's Modify: replace a text in fields of the matching rows",
       "In every row of table T whose field F contains S (ignoring letter case), replaces\n"
       "every occurrence of S in F by R (ignoring letter case) and stores the row, as the\n"
       "window's Modify does. Rows whose value does not change are not written. Prints how\n"
       "many rows matched and changed; with several files, one line for each and a total,\n"
       "and the exit status is 1 when any file failed (the others are still done).\n"
       "  --field F        may be given several times: all are replaced in the same pass\n"
       "  --match-case     match letter case exactly\n"
       "  --whole-field    replace values that are S as a whole, not texts inside them\n"
       "  --regex          S is a regular expression (PCRE2, Unicode); $1 or ${name} in R\n"
       "                   inserts what its group matched, $$ a dollar sign\n"
       "  --dry-run        write nothing: print the counts, then the first changes as\n"
       "                   KEY: \"old\" → \"new\" (KEY is the primary key, or \"row N\",\n"
       "                   the row's place in the table; colours mark the change on a\n"
       "                   terminal unless NO_COLOR is set)\n"
       "  --show N         how many changes to print (20 on a dry run, none otherwise)\n"
       "  --report F.csv   record every change stored in the new file F.csv, as it is\n"
       "                   stored (table, key, field, old value, new value); undo takes\n"
       "                   it back. With several files, each gets F-NAME.csv\n"
       "  --backup         copy FILE to FILE.bak-YYYYMMDD-HHMMSS before the first write\n"
       "  --password P     the database password, for every FILE\n"
       "Examples of each option:\n"
       "  tarnquill-cli replace demo.mdb --table 客户 --field 地址 --find beijing --replace 北京 "
       "--dry-run --show 5\n"
       "  tarnquill-cli replace demo.mdb --table 客户 --field 地址 --find BEIJING --replace "
       "Beijing --match-case\n"
       "  tarnquill-cli replace demo.mdb --table Orders --field Product --find \"usb cable\" "
       "--replace \"USB-C Cable\" --whole-field\n"
       "  tarnquill-cli replace demo.mdb --table 客户 --field 电话 --find \"^010-(\\d{4})(\\d{4})$\" "
       "--replace \"(010) $1 $2\" --regex\n"
       "  tarnquill-cli replace demo.mdb --table 客户 --field 地址 --field 备注 --find shanghai "
       "--replace 上海\n"
       "  tarnquill-cli replace demo.mdb copy.mdb --password 秘密 --table Orders --field Notes "
       "--find 仓库 --replace 库房\n"
       "  tarnquill-cli replace demo.mdb --table 客户 --field 备注 --find 北京 --replace 北京市 "
       "--report changes.csv\n",
       "tarnquill-cli replace demo.mdb --table 客户 --field 地址 --find 北京 --replace 上海 "
       "--backup"},
      {"undo", "FILE REPORT.csv [--password P] [--dry-run]",
       "put back the old values a replace --report recorded",
       "Reads the report written by replace --report and, in every row it names whose value\n"
       "is still the one the report says was stored, puts the old value back. Rows changed\n"
       "since are listed and left alone, as are rows no longer found. Prints the counts:\n"
       "N restored, M changed since, K not found. Writes through the same journal as\n"
       "replace, so an interrupted undo leaves the file whole. In a table without a primary\n"
       "key rows are found by their place, which rows added or deleted since can shift:\n"
       "only values that still equal what was stored are put back.\n"
       "  --dry-run  list and count, write nothing\n"
       "Examples of each option:\n"
       "  tarnquill-cli undo demo.mdb changes.csv --dry-run\n",
       "tarnquill-cli undo demo.mdb changes.csv"},
      {"import", "[--password P] FILE TABLE CSVFILE [--create]",
       "append the rows of a CSV file to a table",
       "Appends the rows of CSVFILE, in the form export writes, to TABLE: the header names\n"
       "the columns, which must exist. The import is stored completely or not at all.\n"
       "  --create  make FILE when it does not exist, and TABLE when it is missing, with\n"
       "            text columns (memo where a value is longer than 255 characters)\n",
       "tarnquill-cli import demo.mdb 客户 more-customers.csv"},
      {"check", "[--password P] FILE", "check the file's integrity",
       "Reads every page, row, long value and index and checks that they agree. Prints\n"
       "\"OK\", or one line per problem and exits with 1. Warnings do not fail the check.\n"
       "Like every command, first rolls back a change a crash left half done (see recover);\n"
       "when the file cannot be written for that, it fails and says to run recover.\n",
       "tarnquill-cli check demo.mdb"},
      {"repair", "[--password P] FILE [--table T ...]", "rebuild the indexes of tables from their rows",
       "Rebuilds every index of table T (of every user table when no --table is given)\n"
       "from the rows as they are stored, keeping each index's columns, order and sort\n"
       "order. Use it when check reports a damaged index or replace refuses a row because\n"
       "its index has no entry for it. All tables are rebuilt in one step through the\n"
       "journal: an interrupted repair leaves the file as it was. A unique index whose\n"
       "rows hold the same value twice cannot be rebuilt; the message names the rows.\n"
       "Prints each index with its entries and pages.\n"
       "  --table T  may be given several times\n"
       "Examples of each option:\n"
       "  tarnquill-cli repair demo.mdb --table 客户 --table Orders\n",
       "tarnquill-cli repair demo.mdb --table 客户"},
      {"recover", "FILE", "roll back a change a crash left half done",
       "When a write was cut off (power cut, killed process) it leaves FILE-journal\n"
       "beside the file. Any open that can write the file rolls it back by itself;\n"
       "recover does only that, for a file that was found on a read-only medium and\n"
       "has been made writable. Prints what it did; changes nothing else.\n",
       "tarnquill-cli recover demo.mdb"},
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
      << "Reads and changes Access (.mdb, .accdb) databases with Tarnquill's own engine.\n"
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
