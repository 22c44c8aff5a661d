// PageImage: a whole database file held in memory while it is built, page by
// page, and the ByteSource that lets the reader look at it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/io/byte_source.h"

namespace jet::create {

class PageImage {
 public:
  explicit PageImage(uint32_t page_size) : page_size_(page_size) {}

  uint32_t page_size() const { return page_size_; }
  uint32_t page_count() const { return static_cast<uint32_t>(bytes_.size() / page_size_); }

  // Appends a zero-filled page and returns its number.
  uint32_t Allocate() {
    bytes_.resize(bytes_.size() + page_size_);
    return page_count() - 1;
  }
  uint8_t* Page(uint32_t page) { return bytes_.data() + size_t{page} * page_size_; }
  const uint8_t* Page(uint32_t page) const { return bytes_.data() + size_t{page} * page_size_; }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& mutable_bytes() { return bytes_; }

 private:
  uint32_t page_size_;
  std::vector<uint8_t> bytes_;
};

// Reads a PageImage in place (the image must outlive the source and must not
// grow while the source is in use).
class ImageByteSource : public ByteSource {
 public:
  ImageByteSource(const PageImage* image, std::string name)
      : image_(image), name_(std::move(name)) {}
  uint64_t size() const override { return image_->bytes().size(); }
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override;
  const std::string& name() const override { return name_; }

 private:
  const PageImage* image_;
  std::string name_;
};

}  // namespace jet::create
