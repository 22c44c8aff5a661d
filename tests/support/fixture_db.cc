#include "tests/support/fixture_db.h"

#include <gtest/gtest.h>

#include <random>

#include "jet/create/database_builder.h"
#include "jet/io/byte_source.h"

namespace tarnquill::testing {

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

FixtureTable PeopleTable(int rows, uint32_t seed) {
  jet::create::IndexSpec city{"CityName", {{"City", true}, {"Name", false}}};
  FixtureTable t{
      Table("People",
            {AutoNumberColumn("ID"), TextColumn("Name", 50), TextColumn("City", 100),
             TextColumn("Code", 20), Column("Notes", jet::ColumnType::kMemo)},
            {PrimaryKey("ID"), Index("Name", {"Name"}), Index("Code", {"Code"}, true), city}),
      {}};
  const std::vector<std::string> cities = {"北京市",  "Kraków", "São Paulo", "beijing",
                                           "BEIJING", "Zürich", "深圳市"};
  std::mt19937 g(seed);
  for (int i = 0; i < rows; ++i) {
    jet::Value notes;
    if (i % 3 == 0) {
      std::string text;
      for (int k = i % 300 == 0 ? 1500 : 15; k > 0; --k) text += "a北";
      notes = text;
    }
    std::string name = kNamePieces[g() % kNamePieces.size()] + " ";
    name += kNamePieces[g() % kNamePieces.size()];
    t.rows.push_back({jet::Value(), name, cities[g() % cities.size()],
                      "C" + std::to_string(1000000 + i), notes});
  }
  return t;
}

std::vector<std::vector<jet::Value>> AllRows(jet::Database& db, const jet::TableDef& table,
                                             std::vector<jet::RowId>* ids) {
  std::vector<std::vector<jet::Value>> rows;
  auto cursor = db.Scan(table);
  if (!cursor.ok()) {
    ADD_FAILURE() << cursor.status().ToString();
    return rows;
  }
  for (;;) {
    auto next = (*cursor)->Next();
    if (!next.ok()) ADD_FAILURE() << next.status().ToString();
    if (!next.ok() || !*next) return rows;
    std::vector<jet::Value> row;
    for (size_t c = 0; c < table.columns.size(); ++c) {
      auto v = (*cursor)->Get(c);
      if (!v.ok()) {
        ADD_FAILURE() << v.status().ToString();
        return rows;
      }
      row.push_back(std::move(v).value());
    }
    if (ids) ids->push_back((*cursor)->id());
    rows.push_back(std::move(row));
  }
}

std::vector<std::vector<jet::Value>> ReadTable(const std::string& path, const std::string& table,
                                               const std::string& password,
                                               std::vector<jet::RowId>* ids) {
  jet::OpenOptions options;
  options.password = password;
  auto db = jet::Database::Open(path, options);
  auto def = db.ok() ? (*db)->FindTable(table) : jet::Result<jet::TableDef>(db.status());
  if (!def.ok()) {
    ADD_FAILURE() << def.status().ToString();
    return {};
  }
  return AllRows(**db, *def, ids);
}

namespace {

jet::CheckReport Judge(jet::Result<jet::CheckReport> report) {
  if (!report.ok()) {
    [&] { FAIL() << "the check cannot run: " << report.status().ToString(); }();
    return {};
  }
  for (const std::string& p : report->problems) ADD_FAILURE() << p;
  return std::move(report).value();
}

}  // namespace

jet::CheckReport ExpectSoundFile(const std::string& path, const std::string& password) {
  return Judge(jet::CheckDatabaseFile(path, password));
}

jet::CheckReport ExpectSoundImage(const std::vector<uint8_t>& image, const std::string& password,
                                  const std::string& name) {
  return Judge(jet::CheckDatabase(std::make_unique<jet::MemoryByteSource>(image, name), password));
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
