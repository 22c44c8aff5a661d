#include "update_test_util.h"

#include <gtest/gtest.h>

#include "jet/crypto/office_cipher.h"

namespace jet::testing {

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
