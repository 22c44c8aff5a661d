// Writing and freeing long values (memo and OLE data).
//
// A long value column stores a 12-byte reference in the row: a length word
// whose top bits say where the data is — 0x80000000 inline, right after the
// reference; 0x40000000 one row of a long-value page; neither, a chain of
// rows each starting with a 4-byte pointer to the next — then the row pointer
// of the first out-of-row piece and four zero bytes. Long-value pages are data
// pages marked "LVAL" in place of an owning table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/bytes_view.h"
#include "jet/status.h"

namespace jet {

inline constexpr size_t kLongValueRefSize = 12;

// Long values no longer than this may stay inside the row. Access refuses
// longer in-row values, and no file it wrote keeps one (jet/docs/file-format.md).
inline constexpr size_t kMaxInlineLongValue = 64;

class LongValueWriter {
 public:
  // `editor` must outlive the writer; one writer can serve many writes, and
  // keeps filling the long-value page it used last.
  explicit LongValueWriter(PageEditor* editor) : editor_(editor) {}

  // The field bytes for `data`: inline when `inline_ok`, else stored out of the
  // row on long-value pages (one row when it fits a page, a chain otherwise).
  // InvalidArgument when the data is longer than a reference can describe.
  Result<std::vector<uint8_t>> Write(const std::vector<uint8_t>& data, bool inline_ok);

  // Deletes the out-of-row pieces of the long value whose field is `field`
  // (inline and empty ones have none); the room they leave is filled by the
  // next values written. The pages it deleted from are remembered for
  // TakeFreedPages. Corruption naming `where` on impossible pointers.
  Status Free(ByteView field, const std::string& where);

  // The pages Free deleted pieces from since the last call, for the owner to
  // release those left empty once its writes are done.
  std::vector<uint32_t> TakeFreedPages();

  // Stops filling `page` (the owner released it).
  void Forget(uint32_t page) {
    if (page_ == page) page_ = 0;
  }

  // Forgets the page it was filling and the freed pages (after pending
  // changes were dropped).
  void Reset() {
    page_ = 0;
    freed_.clear();
  }

 private:
  Result<uint32_t> PlacePiece(const std::vector<uint8_t>& row);
  PageEditor* editor_;
  uint32_t page_ = 0;
  std::vector<uint32_t> freed_;
};

}  // namespace jet
