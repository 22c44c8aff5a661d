// tarnquill-cli import --create into an existing database: the new table is
// added beside the existing ones, in our own files and in real Access files,
// and a failure leaves the file exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/commands.h"
#include "jet/create/row_appender.h"
#include "jet/database.h"
#include "jet/update/integrity_check.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using jet::ColumnType;
using jet::Value;
using namespace tarnquill::testing;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

int Cli(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
  std::ostringstream o, e;
  int rc = cli::Dispatch(args, o, e);
  if (out) *out = o.str();
  if (err) *err = e.str();
  return rc;
}

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

// The rows of `table` as text, one line per row, through our reader.
std::vector<std::string> ReadRows(const std::string& path, const std::string& table,
                                  const std::string& password = "") {
  std::vector<std::string> out;
  jet::OpenOptions options;
  options.password = password;
  auto db = jet::Database::Open(path, options);
  if (!db.ok()) return {db.status().ToString()};
  auto def = (*db)->FindTable(table);
  if (!def.ok()) return {def.status().ToString()};
  auto scan = (*db)->Scan(*def);
  if (!scan.ok()) return {scan.status().ToString()};
  for (;;) {
    auto more = (*scan)->Next();
    if (!more.ok()) return {more.status().ToString()};
    if (!*more) break;
    std::string line;
    for (size_t c = 0; c < def->columns.size(); ++c) {
      auto v = (*scan)->Get(c);
      if (!v.ok()) return {v.status().ToString()};
      line +=
          (c ? "|" : "") + (jet::IsNull(*v) ? std::string("<null>") : std::get<std::string>(*v));
    }
    out.push_back(line);
  }
  return out;
}

const char* const kCsv =
    "名称,Address,Note\n"
    "\"北京分店\",\"Beijing, Chaoyang\",\"first\"\n"
    "\"Shanghai\",,\"\"\n"
    "\"广州\",\"天河区\",\"third\"\n";
const std::vector<std::string> kExpectedRows = {"北京分店|Beijing, Chaoyang|first",
                                                "Shanghai|<null>|", "广州|天河区|third"};

TEST(ImportCreate, AddsATableToAnExistingFileAndLeavesTheOthersAlone) {
  TempDir dir;
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 300; ++i) {
    rows.push_back({Value(), std::string("客户") + std::to_string(i), std::string(400, 'm')});
  }
  auto path = MakeFixtureDatabase(
      dir.path(),
      {{Table("客户",
              {AutoNumberColumn("编号"), TextColumn("姓名", 20), Column("备注", ColumnType::kMemo)},
              {PrimaryKey("编号"), Index("姓名", {"姓名"}, /*unique=*/true)}),
        rows}});
  ASSERT_TRUE(path.ok()) << path.status().ToString();
  std::string before;
  ASSERT_EQ(Cli({"export", *path, "客户"}, &before), cli::kExitOk);
  Spit(dir.File("new.csv"), kCsv);
  std::string out, err;
  ASSERT_EQ(Cli({"import", *path, "分店", dir.File("new.csv"), "--create"}, &out, &err),
            cli::kExitOk)
      << err;
  EXPECT_EQ(out, "Imported 3 rows into 分店\n");
  EXPECT_EQ(ReadRows(*path, "分店"), kExpectedRows);
  std::string after;
  ASSERT_EQ(Cli({"export", *path, "客户"}, &after), cli::kExitOk);
  EXPECT_EQ(after, before);
  EXPECT_EQ(CheckProblems(*path), std::vector<std::string>{});

  auto db = jet::Database::Open(*path, {});
  ASSERT_TRUE(db.ok());
  auto tables = (*db)->ListTables();
  ASSERT_TRUE(tables.ok());
  ASSERT_EQ(tables->size(), 2u);
  EXPECT_EQ((*tables)[1].name, "分店");
  auto def = (*db)->FindTable("分店");
  ASSERT_TRUE(def.ok());
  ASSERT_EQ(def->columns.size(), 3u);
  EXPECT_EQ(def->columns[1].name, "Address");
  EXPECT_EQ(def->columns[1].type, ColumnType::kText);
  EXPECT_EQ(def->row_count, 3u);

  // A second import appends to the table the first one made.
  ASSERT_EQ(Cli({"import", *path, "分店", dir.File("new.csv"), "--create"}, nullptr, &err),
            cli::kExitOk)
      << err;
  EXPECT_EQ(ReadRows(*path, "分店").size(), 6u);
  EXPECT_EQ(CheckProblems(*path), std::vector<std::string>{});

  if (!HaveMdbTools()) GTEST_SKIP() << "mdb-export is not installed";
  EXPECT_EQ(RunCommand("mdb-tables -1 " + Quote(*path)), "客户\n分店\n");
  std::string exported = RunCommand("mdb-export " + Quote(*path) + " 分店");
  EXPECT_EQ(exported.substr(0, exported.find('\n')), "名称,Address,Note");
  EXPECT_NE(exported.find("\"北京分店\",\"Beijing, Chaoyang\",\"first\"\n\"Shanghai\",,\n"),
            std::string::npos)
      << exported;
  // Access's own tool still lists every row of the older table.
  std::string old_rows = RunCommand("mdb-export " + Quote(*path) + " 客户 | wc -l");
  EXPECT_EQ(old_rows, "301\n");
}

TEST(ImportCreate, AFailedCreateLeavesNoTrace) {
  TempDir dir;
  auto path = MakeFixtureDatabase(
      dir.path(), {{Table("T", {TextColumn("K", 10)}), {{std::string("a")}}}}, "secret");
  ASSERT_TRUE(path.ok()) << path.status().ToString();
  const std::string before = Slurp(*path);
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string csv;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"a record with too many fields",
       {"--password", "secret"},
       "A,B\n\"x\",\"y\",\"z\"\n",
       "has 3 fields"},
      {"the name of an existing table in other letter case",
       {"--password", "secret"},
       "K,Other\n\"x\",\"y\"\n",
       "has no column 'Other'"},
      {"a name kept for system tables", {"--password", "secret"}, "A\n\"x\"\n", "reserved"},
      {"a wrong password", {"--password", "nope"}, "A\n\"x\"\n", "Not a valid password"},
      {"text that is not UTF-8 (a CSV saved in GBK)",
       {"--password", "secret"},
       "A\n\"\xC4\xE3\xBA\xC3\"\n",
       "not valid UTF-8"},
      {"a header naming a column twice",
       {"--password", "secret"},
       "A,a\n\"x\",\"y\"\n",
       "listed twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spit(dir.File("bad.csv"), c.csv);
    std::string table = std::string(c.what).find("system") != std::string::npos     ? "MSysMine"
                        : std::string(c.what).find("existing") != std::string::npos ? "t"
                                                                                    : "New";
    std::vector<std::string> args = {"import", *path, table, dir.File("bad.csv"), "--create"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::string err;
    EXPECT_EQ(Cli(args, nullptr, &err), cli::kExitFailure);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_NE(err.find("Nothing was imported"), std::string::npos) << err;
    EXPECT_TRUE(Slurp(*path) == before);
  }
  EXPECT_FALSE(std::filesystem::exists(*path + "-journal"));
}

TEST(ImportCreate, TheNewTableTakesIndexesAndKeepsThemExact) {
  TempDir dir;
  auto path = MakeFixtureDatabase(dir.path(), {{Table("Old", {TextColumn("A")}), {}}});
  ASSERT_TRUE(path.ok()) << path.status().ToString();
  auto appender = jet::create::FileAppender::Open(*path);
  ASSERT_TRUE(appender.ok()) << appender.status().ToString();
  auto def = (*appender)->CreateTable(
      Table("Indexed",
            {AutoNumberColumn("Id"), TextColumn("Name", 40), Column("Amount", ColumnType::kDouble),
             Column("Memo", ColumnType::kMemo)},
            {PrimaryKey("Id"), Index("ByName", {"Name"}, /*unique=*/true)}));
  ASSERT_TRUE(def.ok()) << def.status().ToString();
  EXPECT_FALSE((*appender)->CreateTable(Table("INDEXED", {TextColumn("X")})).ok());
  std::vector<jet::create::Row> rows;
  for (int i = 0; i < 2000; ++i) {  // enough keys to split the index pages
    rows.push_back({Value(), std::string("名字 ") + std::to_string(i * 7919 % 2000),
                    double{i * 0.5}, std::string(i % 3 == 0 ? 5000 : 10, 'x')});
  }
  ASSERT_TRUE((*appender)->Append(&*def, rows).ok());
  jet::Status duplicate =
      (*appender)->Append(&*def, {{Value(), std::string("名字 7"), 1.0, Value()}});
  EXPECT_EQ(duplicate.code(), jet::Status::Code::kConstraint) << duplicate.ToString();
  ASSERT_TRUE((*appender)->Commit().ok());
  appender->reset();
  EXPECT_EQ(CheckProblems(*path), std::vector<std::string>{});
  auto db = jet::Database::Open(*path, {});
  ASSERT_TRUE(db.ok());
  auto read = (*db)->FindTable("indexed");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->row_count, 2000u);
  ASSERT_EQ(read->indexes.size(), 2u);
  EXPECT_TRUE(read->indexes[0].primary || read->indexes[1].primary);
  if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
  EXPECT_TRUE(ReadersAgree(*path));
}

// Real Access files: each Jet 4 file of the corpus gets a new table that our
// reader, the check and mdb-export all see; Access 97 files are refused
// before anything changes.
TEST(ImportCreate, OnCopiesOfRealFiles) {
  if (!jet::testing::HaveCorpus()) GTEST_SKIP() << "corpus not found at " TARNQUILL_CORPUS;
  TempDir dir;
  Spit(dir.File("new.csv"), kCsv);
  int tried = 0;
  for (const std::string& name : jet::testing::CorpusFiles()) {
    SCOPED_TRACE(name);
    const std::string password = name.find("with-password") != std::string::npos ? "password" : "";
    const std::string copy = dir.File("copy.mdb");
    std::filesystem::copy_file(jet::testing::CorpusDir() / name, copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    jet::OpenOptions options;
    options.password = password;
    auto db = jet::Database::Open(copy, options);
    if (!db.ok()) continue;  // files the reader refuses have their own tests
    const int version = (*db)->jet_version();
    db->reset();
    const std::vector<std::string> problems_before = CheckProblems(copy, password);
    const std::string before = Slurp(copy);
    std::vector<std::string> args = {"import", copy, "Imported_Rows", dir.File("new.csv"),
                                     "--create"};
    if (!password.empty()) args.insert(args.end(), {"--password", password});
    std::string err;
    int rc = Cli(args, nullptr, &err);
    if (version == 3) {
      EXPECT_EQ(rc, cli::kExitFailure);
      EXPECT_NE(err.find("Access 97"), std::string::npos) << err;
      EXPECT_TRUE(Slurp(copy) == before);
      continue;
    }
    ++tried;
    ASSERT_EQ(rc, cli::kExitOk) << err;
    EXPECT_EQ(ReadRows(copy, "Imported_Rows", password), kExpectedRows);
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
