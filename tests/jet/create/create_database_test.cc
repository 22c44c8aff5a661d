// Databases, tables and rows created by our engine read back exactly, through
// our reader and through mdbtools.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "jet/create/database_builder.h"
#include "jet/database.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using jet::ColumnType;
using jet::Value;
using jet::create::Row;
using namespace tarnquill::testing;

jet::Decimal Dec(bool negative, uint8_t scale, uint64_t low, uint32_t high = 0) {
  jet::Decimal d;
  d.negative = negative;
  d.scale = scale;
  d.magnitude = {static_cast<uint32_t>(low), static_cast<uint32_t>(low >> 32), high};
  return d;
}

jet::create::TableSpec AllTypes() {
  jet::create::ColumnSpec binary = Column("Bin", ColumnType::kBinary);
  binary.max_length = 16;
  jet::create::ColumnSpec guid = Column("Guid", ColumnType::kGuid);
  return Table(
      "AllTypes",
      {AutoNumberColumn("ID"), TextColumn("Text", 20), Column("Memo", ColumnType::kMemo),
       Column("Byte", ColumnType::kByte), Column("Int", ColumnType::kInteger),
       Column("Long", ColumnType::kLong), Column("Single", ColumnType::kSingle),
       Column("Double", ColumnType::kDouble), Column("Money", ColumnType::kCurrency),
       DecimalColumn("Dec", 28, 4), Column("When", ColumnType::kDateTime),
       Column("Flag", ColumnType::kBoolean), guid, binary, Column("Ole", ColumnType::kOle)},
      {PrimaryKey("ID")});
}

std::vector<Row> AllTypeRows() {
  jet::Guid g;
  for (size_t i = 0; i < 16; ++i) g.bytes[i] = static_cast<uint8_t>(i * 17);
  return {
      {Value(), std::string("北京 Beijing"), std::string("备注"), uint8_t{255}, int16_t{-32768},
       int32_t{INT32_MIN}, 1.5f, -1e308, jet::Currency{INT64_MAX}, Dec(false, 4, 123456789),
       jet::DateTime{45000.5}, true, g, jet::Bytes{1, 2, 3}, jet::Bytes(5000, 0xAB)},
      {Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(),
       Value(), false, Value(), Value(), Value()},
      {Value(), std::string(""), std::string(""), uint8_t{0}, int16_t{32767}, int32_t{INT32_MAX},
       -std::numeric_limits<float>::max(), 5e-324, jet::Currency{INT64_MIN},
       Dec(true, 4, 0x3E2502610FFFFFFFULL, 0x204FCE5E), jet::DateTime{-657434.0}, true, Value(),
       jet::Bytes(16, 0xFF), jet::Bytes{}},
  };
}

TEST(CreateDatabase, EmptyDatabaseOpensWithNoUserTables) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {}));
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  EXPECT_EQ(db->jet_version(), 4);
  ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
  EXPECT_TRUE(tables.empty());
  ASSERT_OK_AND_ASSIGN(auto catalog, db->FindTable("MSysObjects"));
  EXPECT_EQ(ReadTable(path, "MSysObjects").size(), 8u);
  EXPECT_EQ(ReadTable(path, "MSysACEs").size(), 16u);
  if (!HaveMdbTools()) GTEST_SKIP() << "mdbtools not installed";
  EXPECT_EQ(RunCommand("mdb-tables -S -1 " + Quote(path)),
            "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n");
  EXPECT_EQ(RunCommand("mdb-ver " + Quote(path)), "JET4\n");
}

TEST(CreateDatabase, EveryColumnTypeReadsBackExactly) {
  TempDir dir;
  std::vector<Row> rows = AllTypeRows();
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {{AllTypes(), rows}}));
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  auto back = ReadTable(path, "alltypes");
  ASSERT_EQ(back.size(), rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    rows[r][0] = static_cast<int32_t>(r + 1);  // auto-numbers
    for (size_t c = 0; c < rows[r].size(); ++c) {
      EXPECT_TRUE(back[r][c] == rows[r][c]) << "row " << r << " column " << c;
    }
  }
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("AllTypes"));
  EXPECT_EQ(def.row_count, 3u);
  EXPECT_TRUE(def.columns[0].auto_number);
  EXPECT_EQ(def.columns[1].max_chars, 20);
  EXPECT_EQ(def.columns[9].precision, 28);
  EXPECT_EQ(def.columns[9].scale, 4);
  ASSERT_EQ(def.indexes.size(), 1u);
  EXPECT_TRUE(def.indexes[0].primary);
}

TEST(CreateDatabase, MdbToolsListsExportsAndDescribesTheTable) {
  if (!HaveMdbTools()) GTEST_SKIP() << "mdbtools not installed";
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      auto path,
      MakeFixtureDatabase(
          dir.path(), {{Table("客户", {AutoNumberColumn("编号"), TextColumn("姓名", 20),
                                       Column("金额", ColumnType::kLong),
                                       Column("已付款", ColumnType::kBoolean),
                                       Column("备注", ColumnType::kMemo)}),
                        {{Value(), std::string("张三"), int32_t{-5}, true, std::string(3000, 'm')},
                         {Value(), std::string("Say \"hi\", O'Neil"), Value(), false, Value()}}}}));
  EXPECT_EQ(RunCommand("mdb-tables -1 " + Quote(path)), "客户\n");
  EXPECT_EQ(RunCommand("mdb-export " + Quote(path) + " 客户"),
            "编号,姓名,金额,已付款,备注\n1,\"张三\",-5,1,\"" + std::string(3000, 'm') +
                "\"\n2,\"Say \"\"hi\"\", O'Neil\",,0,\n");
  std::string schema = RunCommand("mdb-schema --indexes " + Quote(path) + " postgres");
  EXPECT_NE(schema.find("\"姓名\"\t\t\tVARCHAR (20)"), std::string::npos) << schema;
  EXPECT_NE(schema.find("\"编号\"\t\t\tSERIAL"), std::string::npos) << schema;
}

TEST(CreateDatabase, AutoNumbersContinueAcrossBatchesAndAfterExplicitValues) {
  ASSERT_OK_AND_ASSIGN(auto b, jet::create::DatabaseBuilder::New({}));
  ASSERT_TRUE(b->CreateTable(Table("T", {AutoNumberColumn("ID"), TextColumn("S")})).ok());
  ASSERT_TRUE(b->InsertRows("T", {{Value(), std::string("a")}, {Value(), std::string("b")}}).ok());
  ASSERT_TRUE(
      b->InsertRows("T", {{int32_t{10}, std::string("c")}, {Value(), std::string("d")}}).ok());
  TempDir dir;
  ASSERT_TRUE(b->Save(dir.File("a.mdb")).ok());
  std::vector<Value> ids;
  for (const auto& row : ReadTable(dir.File("a.mdb"), "T")) ids.push_back(row[0]);
  EXPECT_EQ(ids, (std::vector<Value>{int32_t{1}, int32_t{2}, int32_t{10}, int32_t{11}}));
}

TEST(CreateDatabase, AFailingBatchStoresNoneOfItsRows) {
  struct Case {
    const char* what;
    Row bad;
    jet::Status::Code code;
  };
  const std::vector<Case> cases = {
      {"duplicate key", {int32_t{1}, std::string("x"), int16_t{1}}, jet::Status::Code::kConstraint},
      {"text too long",
       {int32_t{7}, std::string(11, 'y'), int16_t{1}},
       jet::Status::Code::kInvalidArgument},
      {"required missing", {int32_t{7}, std::string("x"), Value()}, jet::Status::Code::kConstraint},
      {"wrong type", {int32_t{7}, int32_t{5}, int16_t{1}}, jet::Status::Code::kInvalidArgument},
      {"out of range",
       {int32_t{7}, std::string("x"), int32_t{40000}},
       jet::Status::Code::kInvalidArgument},
      {"too few values", {int32_t{7}}, jet::Status::Code::kInvalidArgument},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_OK_AND_ASSIGN(auto b, jet::create::DatabaseBuilder::New({}));
    auto spec = Table("T",
                      {Column("K", ColumnType::kLong), TextColumn("S", 10),
                       Column("N", ColumnType::kInteger, /*required=*/true)},
                      {PrimaryKey("K")});
    ASSERT_TRUE(b->CreateTable(spec).ok());
    ASSERT_TRUE(b->InsertRows("T", {{int32_t{1}, std::string("a"), int16_t{1}}}).ok());
    jet::Status s = b->InsertRows(
        "T",
        {{int32_t{2}, std::string("b"), int16_t{2}}, {int32_t{3}, Value(), int16_t{3}}, c.bad});
    EXPECT_EQ(s.code(), c.code) << s.ToString();
    EXPECT_NE(s.message().find("row 3"), std::string::npos) << s.message();
    // The good rows of the failed batch were not stored, and their keys are free.
    ASSERT_TRUE(b->InsertRows("T", {{int32_t{2}, std::string("b"), int16_t{2}}}).ok());
    TempDir dir;
    ASSERT_TRUE(b->Save(dir.File("a.mdb")).ok());
    EXPECT_EQ(ReadTable(dir.File("a.mdb"), "T").size(), 2u);
  }
}

TEST(CreateDatabase, LongValuesOfEverySizeReadBack) {
  std::vector<size_t> sizes = {0, 1, 64, 65, 2000, 4076, 4077, 9000, 100000};
  std::vector<Row> rows;
  for (size_t n : sizes) {
    std::string memo;
    for (size_t i = 0; i < n; ++i) memo += (i % 3 == 0) ? "京" : "a";
    jet::Bytes ole(n);
    for (size_t i = 0; i < n; ++i) ole[i] = static_cast<uint8_t>(i * 7);
    rows.push_back({memo, ole});
  }
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      auto path,
      MakeFixtureDatabase(
          dir.path(),
          {{Table("L", {Column("M", ColumnType::kMemo), Column("O", ColumnType::kOle)}), rows}}));
  auto back = ReadTable(path, "L");
  ASSERT_EQ(back.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(back[i][0] == rows[i][0]) << "memo of " << sizes[i];
    EXPECT_TRUE(back[i][1] == rows[i][1]) << "ole of " << sizes[i];
  }
  if (!HaveMdbTools()) GTEST_SKIP() << "mdbtools not installed";
  std::string csv = RunCommand("mdb-export -H " + Quote(path) + " L");
  EXPECT_NE(csv.find(std::get<std::string>(rows.back()[0])), std::string::npos);
}

TEST(CreateDatabase, PasswordProtectsTheFileAndBadTableSpecsAreRefused) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      auto path, MakeFixtureDatabase(dir.path(), {{Table("T", {TextColumn("S")}), {}}}, "秘密pw"));
  jet::OpenOptions o;
  auto wrong = jet::Database::Open(path, o);
  ASSERT_FALSE(wrong.ok());
  EXPECT_TRUE(wrong.status().IsBadPassword());
  o.password = "秘密pw";
  EXPECT_TRUE(jet::Database::Open(path, o).ok());
  auto too_long = jet::create::DatabaseBuilder::New({.password = std::string(21, 'p')});
  EXPECT_FALSE(too_long.ok());
  // Bad table specs are refused.
  ASSERT_OK_AND_ASSIGN(auto b, jet::create::DatabaseBuilder::New({}));
  auto& builder = *b;
  EXPECT_FALSE(builder.CreateTable(Table("", {TextColumn("A")})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("T", {})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("T", {TextColumn("A"), TextColumn("a")})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("T", {TextColumn("A", 256)})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("T", {TextColumn("A")}, {Index("I", {"B"})})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("MSysFoo", {TextColumn("A")})).ok());
  ASSERT_TRUE(builder.CreateTable(Table("T", {TextColumn("A")})).ok());
  EXPECT_FALSE(builder.CreateTable(Table("t", {TextColumn("A")})).ok());
  EXPECT_TRUE(builder.InsertRows("nope", {}).IsNotFound());
}

TEST(CreateDatabase, SaveLeavesAReadOnlyTargetOrFolderAlone) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {}));
  const std::string before = RunCommand("cat " + Quote(path) + " | md5sum");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ASSERT_OK_AND_ASSIGN(auto b, jet::create::DatabaseBuilder::New({}));
  jet::Status s = b->Save(path);
  EXPECT_EQ(s.code(), jet::Status::Code::kReadOnly) << s.ToString();
  EXPECT_EQ(RunCommand("cat " + Quote(path) + " | md5sum"), before);

  TempDir locked;
  ASSERT_EQ(::chmod(locked.path().c_str(), 0555), 0);
  ASSERT_OK_AND_ASSIGN(auto c, jet::create::DatabaseBuilder::New({}));
  s = c->Save(locked.File("new.mdb"));
  EXPECT_EQ(s.code(), jet::Status::Code::kReadOnly) << s.ToString();
  EXPECT_NE(::access(locked.File("new.mdb").c_str(), F_OK), 0);
}

TEST(CreateIndexes, EveryIndexListsEveryRowInKeyOrderAndTextColumnsRecordTheirSortOrder) {
  // Enough rows for several leaf pages and a node level.
  std::vector<Row> rows;
  for (int i = 0; i < 3000; ++i) {
    std::string name = (i % 2 ? "北京" : "Shanghai ") + std::to_string((i * 7919) % 3000);
    rows.push_back(
        {Value(), name, int32_t{(i * 31) % 97}, i % 5 == 0 ? Value() : Value(double(i) / 3)});
  }
  auto spec = Table("I",
                    {AutoNumberColumn("ID"), TextColumn("Name", 40),
                     Column("Group", ColumnType::kLong), Column("Score", ColumnType::kDouble)},
                    {PrimaryKey("ID"), Index("ByName", {"Name"}, /*unique=*/true),
                     Index("GroupScore", {"Group", "Score"})});
  spec.indexes[2].columns[1].ascending = false;
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {{spec, rows}}));
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("I"));
  ASSERT_EQ(def.indexes.size(), 3u);
  EXPECT_FALSE(def.indexes[2].columns[1].ascending);
  // The check walks each tree: every row once, in key order, under the key
  // its values encode, with the pages linked as Access links them.
  EXPECT_GE(ExpectSoundFile(path).index_entries, 3 * rows.size());
  ExpectOracleAccepts(path);
  // Text columns say which order their index keys are in, so that later
  // updates and checks encode keys the same way.
  for (const jet::keys::SortOrder& order :
       {jet::keys::GeneralLegacyOrder(), jet::keys::GeneralOrder()}) {
    SCOPED_TRACE(int{order.version});
    TempDir dir;
    jet::create::NewDatabaseOptions options;
    options.sort_order = order;
    ASSERT_OK_AND_ASSIGN(auto builder, jet::create::DatabaseBuilder::New(options));
    ASSERT_TRUE(
        builder
            ->CreateTable(Table("T", {TextColumn("Name"), Column("Memo", ColumnType::kMemo)},
                                {Index("ByName", {"Name"})}))
            .ok());
    std::vector<Row> rows;
    for (const char* s : {"北京", "Ärger", "arg", "-x", "x-", "ＡＢＣ", "œuvre", "ß", "10", "9",
                          "¿qué?", "ǅ", "ﬁ", "Ω", "ω"}) {
      rows.push_back({std::string(s), std::string(s)});
    }
    ASSERT_TRUE(builder->InsertRows("T", rows).ok());
    ASSERT_TRUE(builder->Save(dir.File("o.mdb")).ok());
    ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(dir.File("o.mdb"), {}));
    ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("T"));
    for (const jet::ColumnDef& c : def.columns) {
      EXPECT_EQ(c.sort_order, order.id);
      EXPECT_EQ(c.sort_order_version, order.version);
    }
    for (const auto& w : ExpectSoundFile(dir.File("o.mdb")).warnings) ADD_FAILURE() << w;
  }
}

}  // namespace
