// Helpers of the update tests: the People fixture built by our own engine,
// and a database image in memory that an UpdateSession writes and fresh
// read-only opens read back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/header.h"
#include "jet/io/byte_source.h"
#include "jet/page_store.h"
#include "jet/update/update_session.h"
#include "jet/update/writable_database.h"
#include "tests/support/fixture_db.h"

namespace jet::testing {

using tarnquill::testing::AllRows;
using tarnquill::testing::ExpectSoundFile;
using tarnquill::testing::ExpectSoundImage;
using tarnquill::testing::ReadFileBytes;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

// Table "People": ID (long, primary key), Name (text 40, unique index),
// City (text 30, index), Notes (memo), Score (double), Active (yes/no).
// Row i: ID i+1, Name "name-<i>", City one of a few cities (Chinese and
// English), Notes a memo (every third row NULL), Score i/2, Active i odd.
Result<std::vector<uint8_t>> PeopleDatabase(int rows, const std::string& password = "");

constexpr size_t kId = 0, kName = 1, kCity = 2, kNotes = 3, kScore = 4, kActive = 5;

// A byte source over a vector that the test keeps writing to.
class SharedImageSource : public ByteSource {
 public:
  SharedImageSource(std::shared_ptr<std::vector<uint8_t>> bytes, std::string name)
      : bytes_(std::move(bytes)), name_(std::move(name)) {}
  uint64_t size() const override { return bytes_->size(); }
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override {
    if (offset > bytes_->size() || n > bytes_->size() - offset) {
      return Status::Corruption(name_ + ": read past the end");
    }
    std::copy(bytes_->begin() + offset, bytes_->begin() + offset + n, out);
    return Status::Ok();
  }
  const std::string& name() const override { return name_; }

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
  std::string name_;
};

class ImageSink : public PageSink {
 public:
  ImageSink(std::shared_ptr<std::vector<uint8_t>> bytes, uint32_t page_size)
      : bytes_(std::move(bytes)), page_size_(page_size) {}
  Status WritePage(uint32_t page, const uint8_t* data) override {
    uint64_t off = uint64_t{page} * page_size_;
    if (off > bytes_->size()) return Status::InvalidArgument("write leaves a hole");
    if (off + page_size_ > bytes_->size()) bytes_->resize(off + page_size_);
    std::copy(data, data + page_size_, bytes_->begin() + off);
    ++writes;
    return Status::Ok();
  }
  int writes = 0;

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
  uint32_t page_size_;
};

// A writable image: the session writes into `bytes`; Reopen() reads it fresh.
struct WritableImage {
  static std::unique_ptr<WritableImage> Load(std::vector<uint8_t> bytes, std::string name,
                                             const std::string& password = "");
  std::unique_ptr<Database> Reopen() const;

  std::shared_ptr<std::vector<uint8_t>> bytes;
  std::string name;
  std::string password;
  Header header;
  std::unique_ptr<SharedImageSource> source;
  std::unique_ptr<PageStore> store;
  std::unique_ptr<ImageSink> sink;
  std::unique_ptr<UpdateSession> session;
};

// Opens `path` on `fs` for updating, without the other-writer lock (tests
// work on in-memory or fault-injecting file systems).
Result<std::unique_ptr<Database>> OpenForUpdateOn(FileSystem* fs, const std::string& path);

}  // namespace jet::testing
