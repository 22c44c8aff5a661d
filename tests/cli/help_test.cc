// tarnquill-cli's help, and failures that say which file, table or field
// they are about.
#include "cli/help.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "tests/cli/cli_call.h"
#include "tests/support/fixture_db.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

using testing::Call;
using testing::Outcome;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// An example line as its words: double quotes group, a redirection ends it.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else if (c == '>' && !quoted) {
      break;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

class CliHelpTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp.File(name); }
  tarnquill::testing::TempDir tmp;
};

TEST_F(CliHelpTest, OverviewAndCommandHelpListEveryCommandWithAnExampleAndRunNothing) {
  for (const char* flag : {"--help", "-h", "help"}) {
    Outcome o = Call({flag});
    EXPECT_EQ(o.code, kExitOk) << flag;
    EXPECT_TRUE(o.err.empty()) << flag;
    for (const CommandHelp& h : AllCommandHelp()) {
      EXPECT_TRUE(Has(o.out, std::string("\n  ") + h.name + " ")) << h.name;
      EXPECT_TRUE(Has(o.out, h.example)) << h.name;
    }
  }
  // Every command the dispatcher runs has an entry, and no entry is a stray.
  for (const char* name :
       {"tables", "schema", "export", "query", "replace", "undo", "import", "check", "repair",
        "create-sample", "recover"}) {
    EXPECT_NE(FindCommandHelp(name), nullptr) << name;
  }
  EXPECT_EQ(AllCommandHelp().size(), 11u);
  for (const CommandHelp& h : AllCommandHelp()) {
    EXPECT_NE(Call({h.name}).code, kExitOk) << h.name << " without arguments is a usage error";
  }
  // Each command's help explains it and runs nothing.
  const std::string file = Path("new.mdb");
  for (const CommandHelp& h : AllCommandHelp()) {
    for (const char* flag : {"--help", "-h"}) {
      // Help wins wherever it stands: nothing is created or opened.
      Outcome o = Call({h.name, file, flag});
      EXPECT_EQ(o.code, kExitOk) << h.name;
      EXPECT_TRUE(o.err.empty()) << h.name << ": " << o.err;
      EXPECT_EQ(o.out.rfind(std::string("usage: tarnquill-cli ") + h.name + " ", 0), 0u) << o.out;
      EXPECT_TRUE(Has(o.out, std::string("Example:\n  ") + h.example)) << h.name;
      EXPECT_EQ(Call({"help", h.name}).out, o.out);
    }
  }
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(Call({"help", "frobnicate"}).code, kExitUsage);
}

TEST_F(CliHelpTest, HelpAfterAnOptionOrDoubleDashIsDataAndUsageErrorsPointToIt) {
  EXPECT_FALSE(WantsHelp({"f.mdb", "--find", "--help", "--replace", "x"}));
  EXPECT_FALSE(WantsHelp({"--password", "-h", "f.mdb"}));
  EXPECT_FALSE(WantsHelp({"f.mdb", "--", "-h"}));
  EXPECT_TRUE(WantsHelp({"f.mdb", "--find", "a", "-h"}));
  // The password "-h" opens the file instead of printing help.
  Outcome o = Call({"tables", "--password", "-h", Path("none.mdb")});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_TRUE(o.out.empty());
  // Usage errors point to the help.
  o = Call({"schema", "a.mdb"});
  EXPECT_EQ(o.code, kExitUsage);
  EXPECT_TRUE(Has(o.err, "usage: tarnquill-cli schema [--password P] FILE TABLE\n"));
  EXPECT_TRUE(Has(o.err, "tarnquill-cli schema --help"));
  Outcome bad_option = Call({"tables", "--verbose", "a.mdb"});
  EXPECT_TRUE(Has(bad_option.err, "unknown option --verbose\nusage: tarnquill-cli tables"));
  EXPECT_TRUE(Has(Call({"frobnicate"}).err, "tarnquill-cli --help"));
}

TEST_F(CliHelpTest, EveryExampleWorksOnTheSampleDatabase) {
  const std::string demo = Path("demo.mdb");
  std::ofstream(Path("more-customers.csv")) << "姓名,地址\n新客户,上海市海淀区\n";
  // create-sample first, as the other examples need its file.
  std::vector<const CommandHelp*> order;
  for (const CommandHelp& h : AllCommandHelp()) {
    if (std::string(h.name) == "create-sample")
      order.insert(order.begin(), &h);
    else
      order.push_back(&h);
  }
  for (const CommandHelp* h : order) {
    // The examples of each option in the details first, then the command's own.
    std::vector<std::string> examples;
    std::istringstream details(h->details);
    for (std::string line; std::getline(details, line);) {
      if (line.rfind("  tarnquill-cli ", 0) == 0) examples.push_back(line.substr(2));
    }
    examples.push_back(h->example);
    for (const std::string& example : examples) {
      std::vector<std::string> words = Words(example);
      ASSERT_GE(words.size(), 2u);
      EXPECT_EQ(words[0], "tarnquill-cli");
      words.erase(words.begin());
      for (std::string& w : words) {
        const std::string ext = fs::path(w).extension().string();
        if (ext == ".mdb" || ext == ".csv") w = Path(w);
      }
      Outcome o = Call(words);
      EXPECT_EQ(o.code, kExitOk) << example << "\n" << o.err;
    }
    if (std::string(h->name) == "create-sample") fs::copy_file(demo, Path("copy.mdb"));
  }
  // The replace example changed the rows the query example lists.
  Outcome left = Call({"query", demo, "Select * From 客户 Where InStr(地址,'北京')"});
  EXPECT_EQ(std::count(left.out.begin(), left.out.end(), '\n'), 1) << left.out;
  // And the import example added its row.
  EXPECT_TRUE(Has(Call({"export", demo, "客户"}).out, "\"新客户\",\"上海市海淀区\""));
}

TEST_F(CliHelpTest, FailuresNameTheFileTableAndField) {
  const std::string demo = Path("demo.mdb");
  ASSERT_EQ(Call({"create-sample", demo}).code, kExitOk);

  Outcome table = Call({"schema", demo, "Nope"});
  EXPECT_EQ(table.code, kExitFailure);
  EXPECT_EQ(table.err.rfind(demo + ": ", 0), 0u) << table.err;
  EXPECT_TRUE(Has(table.err, "'Nope'")) << table.err;
  EXPECT_EQ(Call({"export", demo, "Nope"}).err, table.err);

  Outcome field = Call({"query", demo, "Select * From 客户 Where InStr(Nope,'a')"});
  EXPECT_EQ(field.code, kExitFailure);
  EXPECT_EQ(field.err, demo + ": table '客户' has no field 'Nope'\n");
  Outcome replace = Call(
      {"replace", demo, "--table", "客户", "--field", "Nope", "--find", "a", "--replace", "b"});
  EXPECT_EQ(replace.code, kExitFailure);
  EXPECT_EQ(replace.err, demo + ": table '客户' has no field 'Nope'\n");

  // A parameter marker is not a missing field: the provider's words stand.
  Outcome marker = Call({"query", demo, "Select * From 客户 Where InStr(?,'a')"});
  EXPECT_EQ(marker.code, kExitFailure);
  EXPECT_FALSE(Has(marker.err, "has no field")) << marker.err;
  EXPECT_EQ(marker.err.rfind(demo + ": ", 0), 0u) << marker.err;

  // A file that is not a database, and a wrong password on a protected one.
  std::ofstream(Path("text.mdb")) << "hello";
  for (const char* command : {"tables", "check", "export"}) {
    std::vector<std::string> argv = {command, Path("text.mdb")};
    if (std::string(command) == "export") argv.push_back("客户");
    Outcome o = Call(argv);
    EXPECT_EQ(o.code, kExitFailure) << command;
    EXPECT_TRUE(Has(o.err, Path("text.mdb"))) << command << ": " << o.err;
  }
  const std::string locked = Path("locked.mdb");
  ASSERT_EQ(Call({"create-sample", "--password", "pw", locked}).code, kExitOk);
  Outcome wrong = Call({"tables", "--password", "nope", locked});
  EXPECT_EQ(wrong.code, kExitFailure);
  EXPECT_EQ(wrong.err, locked + ": Not a valid password.\n");
}

}  // namespace
}  // namespace cli
