#include "jet/lval/long_value_writer.h"

#include <unordered_set>

#include "jet/alloc/data_page.h"
#include "jet/alloc/usage_map_edit.h"

namespace jet {

namespace {
constexpr uint32_t kInline = 0x80000000;
constexpr uint32_t kSingle = 0x40000000;
constexpr uint32_t kLengthMask = 0x3FFFFFFF;

void Put32(std::vector<uint8_t>* out, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

Result<uint32_t> LongValueWriter::PlacePiece(const std::vector<uint8_t>& row) {
  const Format& f = editor_->format();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (page_ != 0 && page_ < editor_->page_count()) {
      JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page_));
      if (v.U8(0) == kPageData && DataPageOwner(v) == kLongValueMarker &&
          DataPageFreeSpace(f, v) >= row.size() + 2) {
        std::vector<PageSlot> slots;
        JET_RETURN_IF_ERROR(ReadDataPageSlots(f, v, page_, &slots));
        if (slots.size() < 0xFF) {
          slots.push_back(PageSlot{0, row});
          JET_ASSIGN_OR_RETURN(uint8_t * p, editor_->Edit(page_));
          if (WriteDataPageSlots(f, slots, p)) {
            return (page_ << 8) | static_cast<uint32_t>(slots.size() - 1);
          }
        }
      }
    }
    JET_ASSIGN_OR_RETURN(page_, AllocatePage(*editor_));
    JET_ASSIGN_OR_RETURN(uint8_t * p, editor_->Edit(page_));
    InitDataPage(f, kLongValueMarker, p);
  }
  return Status::InvalidArgument("a long value piece does not fit on an empty page");
}

Result<std::vector<uint8_t>> LongValueWriter::Write(const std::vector<uint8_t>& data,
                                                    bool inline_ok) {
  if (data.size() > kLengthMask) {
    return Status::InvalidArgument("a long value of " + std::to_string(data.size()) +
                                   " bytes is too long to store");
  }
  const uint32_t length = static_cast<uint32_t>(data.size());
  std::vector<uint8_t> field(kLongValueRefSize, 0);
  if (inline_ok || data.empty()) {
    Put32(&field, 0, length | kInline);
    field.insert(field.end(), data.begin(), data.end());
    return field;
  }
  const size_t max_row = MaxRowSize(editor_->format());
  if (data.size() <= max_row) {
    JET_ASSIGN_OR_RETURN(uint32_t at, PlacePiece(data));
    Put32(&field, 0, length | kSingle);
    Put32(&field, 4, at);
    return field;
  }
  // A chain, written from its last piece so each piece knows its successor.
  const size_t chunk = max_row - 4;
  size_t pieces = (data.size() + chunk - 1) / chunk;
  uint32_t next = 0;
  for (size_t i = pieces; i-- > 0;) {
    size_t from = i * chunk;
    size_t to = std::min(data.size(), from + chunk);
    std::vector<uint8_t> row(4, 0);
    Put32(&row, 0, next);
    row.insert(row.end(), data.begin() + from, data.begin() + to);
    page_ = 0;  // whole pages for chain pieces
    JET_ASSIGN_OR_RETURN(next, PlacePiece(row));
  }
  Put32(&field, 0, length);
  Put32(&field, 4, next);
  return field;
}

std::vector<uint32_t> LongValueWriter::TakeFreedPages() {
  std::vector<uint32_t> out;
  out.swap(freed_);
  return out;
}

Status LongValueWriter::Free(ByteView field, const std::string& where) {
  if (field.size < kLongValueRefSize) return Status::Ok();
  const uint32_t head = field.U32(0);
  if (head & kInline) return Status::Ok();
  const bool single = (head & kSingle) != 0;
  const Format& f = editor_->format();
  std::unordered_set<uint32_t> seen;
  uint32_t ptr = field.U32(4);
  size_t remaining = head & kLengthMask;
  while (ptr != 0 && (single ? seen.empty() : remaining > 0)) {
    if (!seen.insert(ptr).second) {
      return Status::Corruption(where + ": long value chain loops");
    }
    uint32_t page = ptr >> 8;
    uint16_t slot = ptr & 0xFF;
    if (page == 0 || page >= editor_->page_count()) {
      return Status::Corruption(where + ": long value points to page " + std::to_string(page) +
                                " beyond the end of the file");
    }
    JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
    std::vector<PageSlot> slots;
    JET_RETURN_IF_ERROR(ReadDataPageSlots(f, v, page, &slots));
    if (DataPageOwner(v) != kLongValueMarker || slot >= slots.size() ||
        (slots[slot].flags & kSlotDeleted)) {
      return Status::Corruption(where + ": long value points to page " + std::to_string(page) +
                                " row " + std::to_string(slot) + ", which holds no long value");
    }
    uint32_t next = 0;
    if (!single) {
      if (slots[slot].bytes.size() < 4) return Status::Corruption(where + ": long value piece without a link");
      next = ByteView{slots[slot].bytes.data(), 4}.U32(0);
      size_t got = slots[slot].bytes.size() - 4;
      remaining = got >= remaining ? 0 : remaining - got;
    }
    slots[slot].flags = kSlotDeleted;
    slots[slot].bytes.clear();
    JET_ASSIGN_OR_RETURN(uint8_t * p, editor_->Edit(page));
    WriteDataPageSlots(f, slots, p);
    // Its room goes to the next long value written; a page left empty is
    // released by the owner, which knows the maps that list it.
    page_ = page;
    if (freed_.empty() || freed_.back() != page) freed_.push_back(page);
    ptr = next;
  }
  return Status::Ok();
}

}  // namespace jet
