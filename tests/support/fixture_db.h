// Fixture databases for tests: a temporary folder and an Access file built
// by our own engine in one call, so no test depends on borrowed files.
//
//   tarnquill::testing::TempDir dir;
//   auto path = MakeFixtureDatabase(dir.path(), {
//       {Table("客户", {TextColumn("姓名", 50), Column("金额", jet::ColumnType::kCurrency)}),
//        {{std::string("张三"), jet::Currency{12500}}}}});
//   ASSERT_TRUE(path.ok()) << path.status().ToString();
#pragma once

#include <string>
#include <vector>

#include "jet/create/spec.h"
#include "jet/database.h"
#include "jet/status.h"
#include "jet/update/integrity_check.h"
#include "tests/support/assert_ok.h"
#include "tests/support/temp_dir.h"

namespace tarnquill::testing {

struct FixtureTable {
  jet::create::TableSpec spec;
  std::vector<jet::create::Row> rows;
};

// Creates `dir`/`file_name` holding `tables` (created and filled in order)
// under `password`; returns the file's path. Any failure of the engine comes
// back as its Status.
jet::Result<std::string> MakeFixtureDatabase(const std::string& dir,
                                             const std::vector<FixtureTable>& tables,
                                             const std::string& password = "",
                                             const std::string& file_name = "fixture.mdb");

// Pieces of mixed-script names: Chinese, Korean, Latin letters with and
// without accents, an apostrophe, a blank and a hyphen.
inline const std::vector<std::string> kNamePieces = {"张",    "伟",   "Müller", "noah",  "ÉMILE",
                                                     "søren", "佐藤", "민준",   "Smith", "o'brien",
                                                     " ",     "-",    "Łukasz", "ß"};

// People with the columns and indexes access-oracle create-table writes,
// filled by our engine: an autonumber key, text indexed plainly (Name),
// uniquely (Code) and in a compound index with a descending part (CityName),
// and notes (a long memo in every 300th row).
FixtureTable PeopleTable(int rows, uint32_t seed);

// Every row of `table` (each a vector of values) in scan order, and their
// ids in *ids; what cannot be read is a test failure.
std::vector<std::vector<jet::Value>> AllRows(jet::Database& db, const jet::TableDef& table,
                                             std::vector<jet::RowId>* ids = nullptr);
// The same for table `table` of the file at `path`.
std::vector<std::vector<jet::Value>> ReadTable(const std::string& path, const std::string& table,
                                               const std::string& password = "",
                                               std::vector<jet::RowId>* ids = nullptr);

// Our integrity check of the file at `path`, or of `image` (named `name`):
// each problem it reports is a test failure, and so is a check that cannot
// run (a fatal one, and the report is then empty).
jet::CheckReport ExpectSoundFile(const std::string& path, const std::string& password = "");
jet::CheckReport ExpectSoundImage(const std::vector<uint8_t>& image,
                                  const std::string& password = "",
                                  const std::string& name = "<memory>");

// Shorthands for specs.
jet::create::ColumnSpec Column(const std::string& name, jet::ColumnType type,
                               bool required = false);
jet::create::ColumnSpec TextColumn(const std::string& name, uint16_t max_chars = 255,
                                   bool required = false);
jet::create::ColumnSpec AutoNumberColumn(const std::string& name);
jet::create::ColumnSpec DecimalColumn(const std::string& name, uint8_t precision, uint8_t scale);
jet::create::IndexSpec PrimaryKey(const std::string& column,
                                  const std::string& name = "PrimaryKey");
jet::create::IndexSpec Index(const std::string& name, std::vector<std::string> columns,
                             bool unique = false);
jet::create::TableSpec Table(const std::string& name, std::vector<jet::create::ColumnSpec> columns,
                             std::vector<jet::create::IndexSpec> indexes = {});

}  // namespace tarnquill::testing
