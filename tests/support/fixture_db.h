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
#include "jet/status.h"

namespace tarnquill::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

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
