#include "tests/support/fixture_db.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "jet/create/database_builder.h"

namespace tarnquill::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarnquill-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) != nullptr) path_ = name.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

jet::Result<std::string> MakeFixtureDatabase(const std::string& dir,
                                             const std::vector<FixtureTable>& tables,
                                             const std::string& password,
                                             const std::string& file_name) {
  jet::create::NewDatabaseOptions options;
  options.password = password;
  JET_ASSIGN_OR_RETURN(auto builder, jet::create::DatabaseBuilder::New(options));
  for (const FixtureTable& t : tables) {
    JET_RETURN_IF_ERROR(builder->CreateTable(t.spec));
    if (!t.rows.empty()) JET_RETURN_IF_ERROR(builder->InsertRows(t.spec.name, t.rows));
  }
  std::string path = dir + "/" + file_name;
  JET_RETURN_IF_ERROR(builder->Save(path));
  return path;
}

jet::create::ColumnSpec Column(const std::string& name, jet::ColumnType type, bool required) {
  jet::create::ColumnSpec c;
  c.name = name;
  c.type = type;
  c.required = required;
  return c;
}

jet::create::ColumnSpec TextColumn(const std::string& name, uint16_t max_chars, bool required) {
  jet::create::ColumnSpec c = Column(name, jet::ColumnType::kText, required);
  c.max_length = max_chars;
  return c;
}

jet::create::ColumnSpec AutoNumberColumn(const std::string& name) {
  jet::create::ColumnSpec c = Column(name, jet::ColumnType::kLong);
  c.auto_number = true;
  return c;
}

jet::create::ColumnSpec DecimalColumn(const std::string& name, uint8_t precision, uint8_t scale) {
  jet::create::ColumnSpec c = Column(name, jet::ColumnType::kNumeric);
  c.precision = precision;
  c.scale = scale;
  return c;
}

jet::create::IndexSpec PrimaryKey(const std::string& column, const std::string& name) {
  jet::create::IndexSpec x;
  x.name = name;
  x.columns.push_back({column, true});
  x.primary = true;
  return x;
}

jet::create::IndexSpec Index(const std::string& name, std::vector<std::string> columns,
                             bool unique) {
  jet::create::IndexSpec x;
  x.name = name;
  for (auto& c : columns) x.columns.push_back({c, true});
  x.unique = unique;
  return x;
}

jet::create::TableSpec Table(const std::string& name, std::vector<jet::create::ColumnSpec> columns,
                             std::vector<jet::create::IndexSpec> indexes) {
  return jet::create::TableSpec{name, std::move(columns), std::move(indexes)};
}

}  // namespace tarnquill::testing
