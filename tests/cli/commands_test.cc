// tarnquill-cli's commands run in-process: exit codes, messages on stderr,
// and the exact output forms other tools rely on.
#include "cli/commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/cli_call.h"
#include "tests/jet/corpus.h"
#include "tests/support/fixture_db.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

using testing::Call;
using testing::Corpus;
using testing::Outcome;

TEST(CliTest, UsageErrorsExitWithTwoAndFailuresWithOneAndTheMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"tables"},
      {"tables", "a.mdb", "extra"},
      {"schema", "a.mdb"},
      {"export", "a.mdb"},
      {"export", "--password"},
      {"tables", "--verbose", "a.mdb"},
  };
  for (const auto& argv : cases) {
    Outcome r = Call(argv);
    EXPECT_EQ(r.code, kExitUsage) << (argv.empty() ? "(none)" : argv[0]);
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Call({"--help"}).code, kExitOk);
  // Failures exit with 1 and the message.
  Outcome missing = Call({"tables", "/no/such.mdb"});
  EXPECT_EQ(missing.code, kExitFailure);
  EXPECT_EQ(missing.err, "Could not find file '/no/such.mdb'.\n");
  REQUIRE_CORPUS();
  const std::string locked = Corpus("mdb-reader/password_V2003_with-password.mdb");
  Outcome bad = Call({"tables", locked});
  EXPECT_EQ(bad.code, kExitFailure);
  EXPECT_EQ(bad.err, locked + ": Not a valid password.\n");
  Outcome good = Call({"tables", "--password", "password", locked});
  EXPECT_EQ(good.code, kExitOk) << good.err;
  EXPECT_EQ(Call({"tables", "--password=password", locked}).out, good.out);
  Outcome no_table = Call({"export", Corpus("jackcess/V2000/testV2000.mdb"), "Nope"});
  EXPECT_EQ(no_table.code, kExitFailure);
  EXPECT_NE(no_table.err.find("'Nope'"), std::string::npos);
}

TEST(CliTest, TablesSchemaAndExportFormsOfEveryKindOfValue) {
  REQUIRE_CORPUS();
  const std::string file = Corpus("jackcess/V2000/testV2000.mdb");
  EXPECT_EQ(Call({"tables", file}).out, "Table1\nTable2\nTable3\nTable4\n");

  Outcome schema = Call({"schema", file, "table1"});
  ASSERT_EQ(schema.code, kExitOk) << schema.err;
  EXPECT_EQ(schema.out,
            "A\tText\t50\tvariable compressed\n"
            "B\tText\t100\tvariable\n"
            "C\tByte\t1\tfixed\n"
            "D\tInteger\t2\tfixed\n"
            "E\tLong Integer\t4\tfixed\n"
            "F\tDouble\t8\tfixed\n"
            "G\tDate/Time\t8\tfixed\n"
            "H\tCurrency\t8\tfixed\n"
            "I\tYes/No\t1\tfixed\n"
            "index\tB\tB asc\t\n"
            "index\tPrimaryKey\tA asc\tprimary unique required\n");

  Outcome csv = Call({"export", file, "Table1"});
  ASSERT_EQ(csv.code, kExitOk) << csv.err;
  EXPECT_EQ(
      csv.out.substr(0, csv.out.find('\n', csv.out.find('\n', csv.out.find('\n') + 1) + 1) + 1),
      "A,B,C,D,E,F,G,H,I\n"
      "\"abcdefg\",\"hijklmnop\",2,222,333333333,444.555,1974-09-21 00:00:00,3.5,1\n"
      "\"a\",\"b\",0,0,0,0,1981-12-12 00:00:00,0,0\n");
  // The export prints GUIDs, moved rows and binary in their forms.
  Outcome guid = Call({"export", Corpus("jackcess/V1997/testIndexCodesV1997.mdb"), "Table13"});
  ASSERT_EQ(guid.code, kExitOk) << guid.err;
  EXPECT_NE(guid.out.find("\"row0\",\"{8E39276A-BCA8-4AC4-891E-49911D8438DD}\"\n"),
            std::string::npos);
  Outcome moved = Call({"export", Corpus("jackcess/V2000/overflowTestV2000.mdb"), "Table1"});
  ASSERT_EQ(moved.code, kExitOk);
  EXPECT_NE(moved.out.find("\n,\"row3col3\",,,,,,\"row3col9\",\n"), std::string::npos);
  Outcome binary = Call({"export", Corpus("jackcess/V2000/test2V2000.mdb"), "MSP_PROJECTS"});
  ASSERT_EQ(binary.code, kExitOk);
  EXPECT_NE(binary.out.find(",151c2d00020000000900100014001d00ffffffff446f63756d656e74"),
            std::string::npos);
}

// export decodes values straight into its output; reading every value of
// every table of the corpus (Jet 3 and 4, compressed text, memos inline, on
// one page and in chains, moved rows, NULLs, quotes) must give the same lines.
TEST(CliTest, ExportWritesEveryCorpusTableAsItsValuesRead) {
  REQUIRE_CORPUS();
  int tables = 0;
  for (const std::string& file : jet::testing::CorpusFiles()) {
    auto db = jet::Database::Open(Corpus(file), {});
    if (!db.ok()) continue;  // password-protected or not a database we read
    auto names = (*db)->ListTables();
    ASSERT_TRUE(names.ok()) << file;
    for (const jet::TableInfo& t : *names) {
      if (t.linked) continue;
      auto rows = jet::testing::ExportRows(**db, t.name);
      Outcome csv = Call({"export", Corpus(file), t.name});
      if (!rows.ok()) {
        EXPECT_EQ(csv.code, kExitFailure) << file << " " << t.name;
        continue;
      }
      ASSERT_EQ(csv.code, kExitOk) << file << " " << t.name << ": " << csv.err;
      std::string expected;
      for (const std::string& row : *rows) expected += row + "\n";
      EXPECT_EQ(csv.out.substr(csv.out.find('\n') + 1), expected) << file << " " << t.name;
      ++tables;
    }
  }
  EXPECT_GT(tables, 50);
}

// A table of many runs of pages is read in shares side by side and written
// run by run: the lines come in storage order, and a damaged row in a later
// run ends the output after the complete rows before it, with its message,
// exactly as one reader going through the table would.
TEST(CliTest, ExportOfManyRunsKeepsStorageOrderUpToADamagedRow) {
  namespace fx = tarnquill::testing;
  fx::TempDir dir;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 6000; ++i) {
    std::string note = i % 7 == 0 ? std::string(300, static_cast<char>('a' + i % 26)) : "短";
    rows.push_back({jet::Value(), "客户 \"" + std::to_string(i) + "\" " + std::string(70, 'x'),
                    i % 5 == 0 ? jet::Value() : jet::Value(note)});
  }
  ASSERT_OK_AND_ASSIGN(
      auto path,
      fx::MakeFixtureDatabase(
          dir.path(), {{fx::Table("T", {fx::AutoNumberColumn("ID"), fx::TextColumn("Name", 100),
                                        fx::Column("Note", jet::ColumnType::kMemo)}),
                        rows}}));

  // One reader, value by value: the rows up to the first failure, if any.
  auto read_alone = [](const std::string& file, std::string* failure) {
    auto db = jet::Database::Open(file, {});
    auto def = (*db)->FindTable("T");
    auto cursor = (*db)->Scan(*def);
    std::string lines;
    for (;;) {
      auto more = (*cursor)->Next();
      if (!more.ok()) {
        *failure = more.status().message();
        return lines;
      }
      if (!*more) return lines;
      for (size_t i = 0; i < def->columns.size(); ++i) {
        lines += (i > 0 ? "," : "") + jet::CsvField((*cursor)->Get(i).value());
      }
      lines += "\n";
    }
  };
  std::string failure;
  const std::string whole = read_alone(path, &failure);
  ASSERT_TRUE(failure.empty()) << failure;
  ASSERT_EQ(std::count(whole.begin(), whole.end(), '\n'), 6000);
  Outcome csv = Call({"export", path, "T"});
  ASSERT_EQ(csv.code, kExitOk) << csv.err;
  EXPECT_EQ(csv.out, "ID,Name,Note\n" + whole);

  // Slot 2 of a data page two thirds into the table points into the slot table.
  std::vector<uint8_t> image = fx::ReadFileBytes(path);
  auto db = jet::Database::Open(path, {});
  const uint32_t owner = (*db)->FindTable("T")->definition_page;
  std::vector<size_t> data_pages;
  for (size_t page = 0; page < image.size() / 4096; ++page) {
    const uint8_t* p = image.data() + page * 4096;
    if (p[0] == 0x01 && (p[4] | p[5] << 8 | p[6] << 16 | p[7] << 24) == static_cast<int>(owner)) {
      data_pages.push_back(page);
    }
  }
  ASSERT_GT(data_pages.size(), 4 * jet::kScanRunPages);
  uint8_t* damaged = image.data() + data_pages[data_pages.size() * 2 / 3] * 4096;
  damaged[14 + 2 * 2] = 0x01;
  damaged[14 + 2 * 2 + 1] = 0x00;
  const std::string broken = dir.File("broken.mdb");
  ASSERT_TRUE(fx::WriteFile(broken, image));
  const std::string before = read_alone(broken, &failure);
  ASSERT_FALSE(failure.empty());
  Outcome cut = Call({"export", broken, "T"});
  EXPECT_EQ(cut.code, kExitFailure);
  EXPECT_EQ(cut.out, "ID,Name,Note\n" + before);
  EXPECT_NE(cut.err.find(failure), std::string::npos) << cut.err;
}

}  // namespace
}  // namespace cli
