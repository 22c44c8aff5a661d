#include "update_test_util.h"

#include <gtest/gtest.h>

#include "jet/create/database_builder.h"
#include "jet/crypto/office_cipher.h"

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

std::unique_ptr<WritableImage> WritableImage::Load(std::vector<uint8_t> bytes, std::string name,
                                                   const std::string& password) {
  auto img = std::make_unique<WritableImage>();
  img->bytes = std::make_shared<std::vector<uint8_t>>(std::move(bytes));
  img->name = name;
  img->password = password;
  std::vector<uint8_t> raw(img->bytes->begin(), img->bytes->begin() + kHeaderReadSize);
  auto header = ParseHeader(raw, name);
  if (!header.ok()) return nullptr;
  img->header = *header;
  img->source = std::make_unique<SharedImageSource>(img->bytes, name);
  img->store = std::make_unique<PageStore>(img->source.get(), *img->header.format,
                                           img->header.database_key);
  auto cipher = UnlockPages(*img->source, img->header, password);
  if (!cipher.ok()) return nullptr;
  img->store->SetCipher(std::move(cipher).value());
  img->sink = std::make_unique<ImageSink>(img->bytes, img->header.format->page_size);
  img->session = std::make_unique<UpdateSession>(img->store.get(), img->header, img->sink.get());
  return img;
}

std::unique_ptr<Database> WritableImage::Reopen() const {
  OpenOptions o;
  o.password = password;
  auto db = OpenDatabase(std::make_unique<MemoryByteSource>(*bytes, name), o);
  if (!db.ok()) {
    ADD_FAILURE() << db.status().ToString();
    return nullptr;
  }
  return std::move(db).value();
}

Result<std::unique_ptr<Database>> OpenForUpdateOn(FileSystem* fs, const std::string& path) {
  WriteOptions options;
  options.fs = fs;
  return OpenDatabaseForUpdate(path, options);
}

}  // namespace jet::testing
