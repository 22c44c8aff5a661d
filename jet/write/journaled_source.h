// The reading code's view of a file being written: a ByteSource over a
// JournaledFile that sees the open transaction's changes.
#pragma once

#include <string>

#include "jet/io/byte_source.h"
#include "jet/write/journaled_file.h"

namespace jet {

class JournaledFileSource : public ByteSource {
 public:
  // `file` must outlive this source.
  JournaledFileSource(JournaledFile* file, std::string name)
      : file_(file), name_(std::move(name)) {}

  // Whole pages only, counting pages the open transaction appended.
  uint64_t size() const override { return uint64_t{file_->page_count()} * file_->page_size(); }
  // Reads through pending changes. Corruption past the end.
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override;
  const std::string& name() const override { return name_; }

 private:
  JournaledFile* file_;
  std::string name_;
};

}  // namespace jet
