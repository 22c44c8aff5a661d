#include "fixture.h"

#include "jet/create/database_builder.h"

namespace jet::testing {

Result<std::vector<uint8_t>> PeopleDatabase(int rows, const std::string& password) {
  create::NewDatabaseOptions options;
  options.password = password;
  options.creation_date = 45000;
  JET_ASSIGN_OR_RETURN(auto b, create::DatabaseBuilder::New(options));
  create::TableSpec spec;
  spec.name = "People";
  spec.columns = {
      {.name = "ID", .type = ColumnType::kLong, .required = true},
      {.name = "Name", .type = ColumnType::kText, .max_length = 40},
      {.name = "City", .type = ColumnType::kText, .max_length = 30},
      {.name = "Notes", .type = ColumnType::kMemo},
      {.name = "Score", .type = ColumnType::kDouble},
      {.name = "Active", .type = ColumnType::kBoolean},
  };
  spec.indexes = {
      {.name = "PrimaryKey", .columns = {{"ID"}}, .primary = true},
      {.name = "ByName", .columns = {{"Name"}}, .unique = true},
      {.name = "ByCity", .columns = {{"City"}, {"ID", false}}},
  };
  JET_RETURN_IF_ERROR(b->CreateTable(spec));
  static const char* const kCities[] = {"北京", "Beijing", "上海市", "Shanghai", "BEIJING"};
  std::vector<create::Row> data;
  for (int i = 0; i < rows; ++i) {
    create::Row r;
    r.push_back(Value(int32_t{i + 1}));
    r.push_back(Value("name-" + std::to_string(i)));
    r.push_back(Value(std::string(kCities[i % 5])));
    r.push_back(i % 3 == 0 ? Value() : Value("备注 note " + std::to_string(i)));
    r.push_back(Value(i / 2.0));
    r.push_back(Value(i % 2 == 1));
    data.push_back(std::move(r));
  }
  JET_RETURN_IF_ERROR(b->InsertRows("People", data));
  return b->Finish();
}

}  // namespace jet::testing
