// CSV reading and tarnquill-cli import: new files, existing tables, new
// tables beside existing ones (in our own files and in real Access files),
// and the promise that a failed import leaves the file exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/commands.h"
#include "jet/create/csv_values.h"
#include "jet/create/row_appender.h"
#include "jet/database.h"
#include "jet/update/integrity_check.h"
#include "tests/cli/cli_call.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using jet::ColumnType;
using jet::Value;
using jet::create::CsvRecord;
using namespace tarnquill::testing;
using cli::testing::Call;
using cli::testing::Export;

// Problems our check and access-oracle's find in the file.
std::vector<std::string> CheckProblems(const std::string& path, const std::string& password = "") {
  auto report = jet::CheckDatabaseFile(path, password);
  if (!report.ok()) return {report.status().ToString()};
  std::vector<std::string> problems = report->problems;
  if (HaveOracle()) {
    auto oracle = OracleCheck(path);
    if (!oracle) problems.push_back(std::string("access-oracle: ") + oracle.message());
  }
  return problems;
}

TEST(Csv, ParsesTheExportFormAndFieldsBackToTheValuesExportWrites) {
  ASSERT_OK_AND_ASSIGN(auto csv, jet::create::ParseCsv(
                                     "\xEF\xBB\xBF"
                                     "a,\"b c\"\r\n\"x \"\"q\"\"\",,\"\"\n\"multi\nline\",1.5,\n"));
  ASSERT_EQ(csv.size(), 3u);
  EXPECT_EQ(csv[0][1].text, "b c");
  ASSERT_EQ(csv[1].size(), 3u);
  EXPECT_EQ(csv[1][0].text, "x \"q\"");
  EXPECT_FALSE(csv[1][1].quoted);  // NULL
  EXPECT_TRUE(csv[1][2].quoted);   // empty string
  EXPECT_EQ(csv[2][0].text, "multi\nline");
  EXPECT_EQ(csv[2].size(), 3u);
  EXPECT_FALSE(jet::create::ParseCsv("\"open").ok());
  EXPECT_FALSE(jet::create::ParseCsv("\"a\"b,c\n").ok());
  // Fields parse back to the values the export writes.
  auto col = [](ColumnType t) {
    jet::ColumnDef c;
    c.name = "c";
    c.type = t;
    return c;
  };
  auto parse = [&](ColumnType t, const char* text) {
    auto v = jet::create::ParseFieldValue(col(t), {text, false});
    return v.ok() ? *v : Value(std::string("<error>"));
  };
  EXPECT_EQ(parse(ColumnType::kLong, "-42"), Value(int32_t{-42}));
  EXPECT_EQ(parse(ColumnType::kCurrency, "-12.5"), Value(jet::Currency{-125000}));
  EXPECT_EQ(parse(ColumnType::kCurrency, "922337203685477.5807"), Value(jet::Currency{INT64_MAX}));
  EXPECT_EQ(parse(ColumnType::kCurrency, "1.00001"), Value(std::string("<error>")));
  EXPECT_EQ(parse(ColumnType::kDateTime, "1899-12-30 06:00:00"), Value(jet::DateTime{0.25}));
  EXPECT_EQ(parse(ColumnType::kDateTime, "1899-12-29 06:00:00"), Value(jet::DateTime{-1.25}));
  EXPECT_EQ(parse(ColumnType::kBoolean, "1"), Value(true));
  EXPECT_EQ(parse(ColumnType::kBinary, "00ff10"), Value(jet::Bytes{0, 255, 16}));
  EXPECT_EQ(parse(ColumnType::kLong, "12x"), Value(std::string("<error>")));
  EXPECT_EQ(parse(ColumnType::kLong, ""), Value());
}

TEST(Import, ExportThenImportIntoANewFileKeepsEveryTextValue) {
  TempDir dir;
  std::vector<jet::create::Row> rows = {
      {std::string("北京 \"Beijing\""), std::string("a,b"), Value()},
      {std::string(""), std::string("line\nbreak"), std::string(300, 'z')},
      {Value(), std::string("  spaces  "), std::string("短")},
  };
  ASSERT_OK_AND_ASSIGN(
      auto src,
      MakeFixtureDatabase(
          dir.path(),
          {{Table("T", {TextColumn("A"), TextColumn("B"), Column("M", ColumnType::kMemo)}), rows}},
          "", "src.mdb"));
  const std::string csv = Export(src, "T");
  WriteFile(dir.File("t.csv"), csv);
  const auto imported = Call({"import", dir.File("new.mdb"), "T", dir.File("t.csv"), "--create"});
  ASSERT_EQ(imported.code, cli::kExitOk) << imported.err;
  EXPECT_EQ(Export(dir.File("new.mdb"), "T"), csv);
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(dir.File("new.mdb"), {}));
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("T"));
  EXPECT_EQ(def.columns[0].type, ColumnType::kText);
  EXPECT_EQ(def.columns[2].type, ColumnType::kMemo);  // a value longer than 255 characters
  EXPECT_EQ(CheckProblems(dir.File("new.mdb")), std::vector<std::string>{});
  ExpectReadersAgree(dir.File("new.mdb"));
}

TEST(Import, AppendsToAnExistingTableWithIndexesAndAutoNumbers) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      auto path,
      MakeFixtureDatabase(
          dir.path(),
          {{Table("客户",
                  {AutoNumberColumn("编号"), TextColumn("姓名", 20),
                   Column("金额", ColumnType::kCurrency), Column("日期", ColumnType::kDateTime)},
                  {PrimaryKey("编号"), Index("姓名", {"姓名"}, /*unique=*/true)}),
            {{Value(), std::string("张三"), jet::Currency{10000}, jet::DateTime{45000}}}}}));
  std::string csv = "姓名,金额,日期\n";
  for (int i = 0; i < 700; ++i) {
    csv += "\"客户" + std::to_string(i) + "\"," + std::to_string(i) + ".25,2024-01-02 03:04:05\n";
  }
  WriteFile(dir.File("add.csv"), csv);
  const auto o = Call({"import", path, "客户", dir.File("add.csv")});
  ASSERT_EQ(o.code, cli::kExitOk) << o.err;
  EXPECT_EQ(o.out, "Imported 700 rows into 客户\n");
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("客户"));
  EXPECT_EQ(def.row_count, 701u);
  const auto rows = AllRows(*db, def);
  EXPECT_EQ(rows.size(), 701u);
  int32_t max_id = 0;
  for (const auto& row : rows) max_id = std::max(max_id, std::get<int32_t>(row[0]));
  EXPECT_EQ(max_id, 701);
  EXPECT_EQ(CheckProblems(path), std::vector<std::string>{});
  ExpectReadersAgree(path);
}

// Imports into an existing table and imports that create one, refused part
// way or before the first row: nothing is imported and the file is left
// byte for byte, with no journal beside it.
TEST(Import, AFailedImportLeavesTheFileByteForByte) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      auto path,
      MakeFixtureDatabase(dir.path(),
                          {{Table("T", {TextColumn("K", 10), Column("N", ColumnType::kInteger)},
                                  {Index("K", {"K"}, /*unique=*/true)}),
                            {{std::string("taken"), int16_t{1}}}}},
                          "secret"));
  const std::string before = ReadFileText(path);
  std::string many = "K,N\n";
  for (int i = 0; i < 1500; ++i) many += "\"k" + std::to_string(i) + "\",1\n";
  const struct {
    const char* what;
    const char* table;  // with --create when it is not T
    std::string csv;
    std::string message;
    const char* password = "secret";
  } cases[] = {
      {"duplicate at the end of a long import", "T", many + "\"taken\",2\n", ""},
      {"duplicate within the file", "T", "K,N\n\"a\",1\n\"a\",2\n", ""},
      {"number out of range", "T", "K,N\n\"b\",1\n\"c\",99999\n", ""},
      {"text too long", "T", "K,N\n\"b\",1\n\"" + std::string(11, 'x') + "\",1\n", ""},
      {"unknown column", "T", "K,Nope\n\"b\",1\n", ""},
      {"unparsable number", "T", "K,N\n\"b\",one\n", ""},
      {"a record with too many fields", "New", "A,B\n\"x\",\"y\",\"z\"\n", "has 3 fields"},
      {"the name of an existing table in other letter case", "t", "K,Other\n\"x\",\"y\"\n",
       "has no column 'Other'"},
      {"a name kept for system tables", "MSysMine", "A\n\"x\"\n", "reserved"},
      {"a wrong password", "New", "A\n\"x\"\n", "Not a valid password", "nope"},
      {"text that is not UTF-8 (a CSV saved in GBK)", "New", "A\n\"\xC4\xE3\xBA\xC3\"\n",
       "not valid UTF-8"},
      {"a header naming a column twice", "New", "A,a\n\"x\",\"y\"\n", "listed twice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir.File("bad.csv"), c.csv);
    std::vector<std::string> args = {"import",     path,      c.table, dir.File("bad.csv"),
                                     "--password", c.password};
    if (std::string(c.table) != "T") args.push_back("--create");
    const auto o = Call(args);
    EXPECT_EQ(o.code, cli::kExitFailure);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Nothing was imported"), std::string::npos) << o.err;
    EXPECT_TRUE(ReadFileText(path) == before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  }
  const auto o = Call({"import", dir.File("missing.mdb"), "T", dir.File("bad.csv")});
  EXPECT_EQ(o.code, cli::kExitFailure);
  EXPECT_NE(o.err.find("Could not find file"), std::string::npos);
}

// .accdb files take rows into their existing plain tables, encrypted ones
// too; tables with calculated or complex columns, and new tables, are
// refused with the file left as it was.
TEST(Import, AccdbTakesRowsIntoExistingPlainTablesOnly) {
  const std::filesystem::path corpus = TARNQUILL_CORPUS;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  const struct {
    const char* file;
    const char* table;
    const char* csv;
    bool create;
    const char* refusal;  // "" when the import must succeed
  } cases[] = {
      {"jackcess/V2010/testV2010.accdb", "Table1",
       "A,B,C,D,E,F,G,H,I\n\"new\",\"row\",1,2,3,4.5,2020-01-01 00:00:00,1,1\n", false, ""},
      {"mdb-reader/encryption_office-agile-4.4.accdb", "Table1", "Data\n\"imported\"\n", false, ""},
      {"jackcess/V2010/testV2010.accdb", "Fresh", "A\n\"x\"\n", true, "creating tables"},
      {"jackcess/V2010/calcFieldTestV2010.accdb", "Table1", "FirstName\n\"x\"\n", false,
       "calculated"},
      {"jackcess/V2010/complexDataTestV2010.accdb", "Table1", "id\n\"x\"\n", false,
       "attachment or multi-value"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.table);
    const std::string copy = dir.File("copy.accdb");
    CopyWritable(corpus / c.file, copy);
    WriteFile(dir.File("rows.csv"), c.csv);
    const std::string before = ReadFileText(copy);
    std::vector<std::string> argv = {"import", "--password", "password",
                                     copy,     c.table,      dir.File("rows.csv")};
    if (c.create) argv.push_back("--create");
    const auto o = Call(argv);
    if (*c.refusal) {
      EXPECT_EQ(o.code, cli::kExitFailure);
      EXPECT_NE(o.err.find(c.refusal), std::string::npos) << o.err;
      EXPECT_TRUE(ReadFileText(copy) == before);
      continue;
    }
    ASSERT_EQ(o.code, cli::kExitOk) << o.err;
    ASSERT_NO_FATAL_FAILURE(ExpectSoundFile(copy, "password"));
    const std::string ours = Export(copy, c.table, "password");
    if (std::string(c.file).find("encryption") != std::string::npos) {
      // The oracle cannot decrypt: the other reader reads the row back.
      if (MdbReaderModules().empty()) continue;
      EXPECT_EQ(MdbReaderDump(copy, c.table, "password"), ours);
      EXPECT_NE(ours.find("\"imported\""), std::string::npos) << ours;
    } else if (HaveOracle()) {
      EXPECT_TRUE(OracleCheck(copy));
      const std::string theirs = OracleDump(copy, c.table);  // its header is quoted
      EXPECT_EQ(theirs.substr(theirs.find('\n')), ours.substr(ours.find('\n')));
    }
  }
}

const char* const kCsv =
    "名称,Address,Note\n"
    "\"北京分店\",\"Beijing, Chaoyang\",\"first\"\n"
    "\"Shanghai\",,\"\"\n"
    "\"广州\",\"天河区\",\"third\"\n";

TEST(ImportCreate, AddsATableToAnExistingFileAndLeavesTheOthersAlone) {
  TempDir dir;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 300; ++i) {
    rows.push_back({Value(), std::string("客户") + std::to_string(i), std::string(400, 'm')});
  }
  ASSERT_OK_AND_ASSIGN(
      auto path,
      MakeFixtureDatabase(dir.path(),
                          {{Table("客户",
                                  {AutoNumberColumn("编号"), TextColumn("姓名", 20),
                                   Column("备注", ColumnType::kMemo)},
                                  {PrimaryKey("编号"), Index("姓名", {"姓名"}, /*unique=*/true)}),
                            rows}}));
  const std::string before = Export(path, "客户");
  WriteFile(dir.File("new.csv"), kCsv);
  const auto o = Call({"import", path, "分店", dir.File("new.csv"), "--create"});
  ASSERT_EQ(o.code, cli::kExitOk) << o.err;
  EXPECT_EQ(o.out, "Imported 3 rows into 分店\n");
  EXPECT_EQ(Export(path, "分店"), kCsv);  // NULL and empty text kept apart
  EXPECT_EQ(Export(path, "客户"), before);
  EXPECT_EQ(CheckProblems(path), std::vector<std::string>{});

  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[1].name, "分店");
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("分店"));
  ASSERT_EQ(def.columns.size(), 3u);
  EXPECT_EQ(def.columns[1].name, "Address");
  EXPECT_EQ(def.columns[1].type, ColumnType::kText);
  EXPECT_EQ(def.row_count, 3u);

  // A second import appends to the table the first one made.
  const auto again = Call({"import", path, "分店", dir.File("new.csv"), "--create"});
  ASSERT_EQ(again.code, cli::kExitOk) << again.err;
  const std::string twice = Export(path, "分店");
  EXPECT_EQ(std::count(twice.begin(), twice.end(), '\n'), 7);
  EXPECT_EQ(CheckProblems(path), std::vector<std::string>{});

  if (!HaveMdbTools()) GTEST_SKIP() << "mdb-export is not installed";
  EXPECT_EQ(RunCommand("mdb-tables -1 " + Quote(path)), "客户\n分店\n");
  std::string exported = RunCommand("mdb-export " + Quote(path) + " 分店");
  EXPECT_EQ(exported.substr(0, exported.find('\n')), "名称,Address,Note");
  EXPECT_NE(exported.find("\"北京分店\",\"Beijing, Chaoyang\",\"first\"\n\"Shanghai\",,\n"),
            std::string::npos)
      << exported;
  // Access's own tool still lists every row of the older table.
  std::string old_rows = RunCommand("mdb-export " + Quote(path) + " 客户 | wc -l");
  EXPECT_EQ(old_rows, "301\n");
}

TEST(ImportCreate, TheNewTableTakesIndexesAndKeepsThemExact) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path,
                       MakeFixtureDatabase(dir.path(), {{Table("Old", {TextColumn("A")}), {}}}));
  ASSERT_OK_AND_ASSIGN(auto appender, jet::create::FileAppender::Open(path));
  ASSERT_OK_AND_ASSIGN(
      auto def, appender->CreateTable(Table(
                    "Indexed",
                    {AutoNumberColumn("Id"), TextColumn("Name", 40),
                     Column("Amount", ColumnType::kDouble), Column("Memo", ColumnType::kMemo)},
                    {PrimaryKey("Id"), Index("ByName", {"Name"}, /*unique=*/true)})));
  EXPECT_FALSE(appender->CreateTable(Table("INDEXED", {TextColumn("X")})).ok());
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 2000; ++i) {  // enough keys to split the index pages
    rows.push_back({Value(), std::string("名字 ") + std::to_string(i * 7919 % 2000),
                    double{i * 0.5}, std::string(i % 3 == 0 ? 5000 : 10, 'x')});
  }
  ASSERT_TRUE(appender->Append(&def, rows).ok());
  jet::Status duplicate = appender->Append(&def, {{Value(), std::string("名字 7"), 1.0, Value()}});
  EXPECT_EQ(duplicate.code(), jet::Status::Code::kConstraint) << duplicate.ToString();
  ASSERT_TRUE(appender->Commit().ok());
  appender.reset();
  EXPECT_EQ(CheckProblems(path), std::vector<std::string>{});
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto read, db->FindTable("indexed"));
  EXPECT_EQ(read.row_count, 2000u);
  ASSERT_EQ(read.indexes.size(), 2u);
  EXPECT_TRUE(read.indexes[0].primary || read.indexes[1].primary);
  if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
  EXPECT_TRUE(ReadersAgree(path));
}

// Real Access files: each Jet 4 file of the corpus gets a new table that our
// reader, the check and mdb-export all see; Access 97 files are refused
// before anything changes.
TEST(ImportCreate, OnCopiesOfRealFiles) {
  if (!jet::testing::HaveCorpus()) GTEST_SKIP() << "corpus not found at " TARNQUILL_CORPUS;
  TempDir dir;
  WriteFile(dir.File("new.csv"), kCsv);
  int tried = 0;
  for (const std::string& name : jet::testing::CorpusFiles()) {
    SCOPED_TRACE(name);
    const std::string password = name.find("with-password") != std::string::npos ? "password" : "";
    const std::string copy = dir.File("copy.mdb");
    CopyWritable(jet::testing::CorpusDir() / name, copy);
    jet::OpenOptions options;
    options.password = password;
    auto db = jet::Database::Open(copy, options);
    if (!db.ok()) continue;  // files the reader refuses have their own tests
    const int version = (*db)->jet_version();
    db->reset();
    const std::vector<std::string> problems_before = CheckProblems(copy, password);
    const std::string before = ReadFileText(copy);
    std::vector<std::string> args = {"import", copy, "Imported_Rows", dir.File("new.csv"),
                                     "--create"};
    if (!password.empty()) args.insert(args.end(), {"--password", password});
    const auto o = Call(args);
    if (version == 3) {
      EXPECT_EQ(o.code, cli::kExitFailure);
      EXPECT_NE(o.err.find("Access 97"), std::string::npos) << o.err;
      EXPECT_TRUE(ReadFileText(copy) == before);
      continue;
    }
    ++tried;
    ASSERT_EQ(o.code, cli::kExitOk) << o.err;
    EXPECT_EQ(Export(copy, "Imported_Rows", password), kCsv);
    EXPECT_EQ(CheckProblems(copy, password), problems_before);
    if (HaveMdbTools() && password.empty()) {
      std::string exported = RunCommand("mdb-export " + Quote(copy) + " Imported_Rows");
      EXPECT_NE(exported.find("\"广州\",\"天河区\",\"third\""), std::string::npos) << exported;
      EXPECT_NE(RunCommand("mdb-tables -1 " + Quote(copy)).find("Imported_Rows\n"),
                std::string::npos);
    }
  }
  EXPECT_GT(tried, 10);
}

}  // namespace
