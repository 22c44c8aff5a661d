#include "jet/alloc/data_page.h"

#include <cstring>
#include <string>

namespace jet {

namespace {
void Put16(uint8_t* p, size_t off, uint16_t v) {
  p[off] = static_cast<uint8_t>(v);
  p[off + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

Status ReadDataPageSpans(const Format& f, ByteView page, uint32_t page_number,
                         std::vector<SlotSpan>* out) {
  out->clear();
  auto bad = [&](const std::string& what) {
    return Status::Corruption("page " + std::to_string(page_number) + ": " + what);
  };
  if (page.U8(0) != kPageData) return bad("not a data page");
  uint16_t count = page.U16(f.data_row_count);
  size_t table_end = f.data_first_slot + size_t{count} * 2;
  if (table_end > page.size) return bad("slot count " + std::to_string(count) + " too large");
  out->reserve(count);
  size_t prev = page.size;
  for (uint16_t s = 0; s < count; ++s) {
    uint16_t raw = page.U16(f.data_first_slot + 2 * size_t{s});
    size_t start = raw & kSlotOffsetMask;
    SlotSpan span;
    span.flags = raw & (kSlotDeleted | kSlotLookup);
    if (start < table_end || start > prev) {
      // Deleted rows may keep stale bounds; they hold nothing worth keeping.
      if ((raw & kSlotDeleted) == 0) {
        return bad("row " + std::to_string(s) + " has impossible bounds");
      }
    } else {
      span.offset = static_cast<uint32_t>(start);
      span.length = static_cast<uint32_t>(prev - start);
      prev = start;
    }
    out->push_back(span);
  }
  return Status::Ok();
}

Status ReadDataPageSlots(const Format& f, ByteView page, uint32_t page_number,
                         std::vector<PageSlot>* out) {
  std::vector<SlotSpan> spans;
  JET_RETURN_IF_ERROR(ReadDataPageSpans(f, page, page_number, &spans));
  out->clear();
  out->reserve(spans.size());
  for (const SlotSpan& span : spans) {
    PageSlot slot;
    slot.flags = span.flags;
    slot.bytes.assign(page.data + span.offset, page.data + span.offset + span.length);
    out->push_back(std::move(slot));
  }
  return Status::Ok();
}

Result<bool> RebuildDataPageWithSlot(const Format& f, ByteView page, uint32_t page_number,
                                     const std::vector<SlotSpan>& spans, uint16_t slot,
                                     ByteView bytes, uint16_t flags, std::vector<uint8_t>* out) {
  if (slot >= spans.size()) {
    return Status::Corruption("page " + std::to_string(page_number) + ": no row " +
                              std::to_string(slot));
  }
  size_t needed = f.data_first_slot + 2 * spans.size() + bytes.size;
  for (size_t s = 0; s < spans.size(); ++s) {
    if (s != slot) needed += spans[s].length;
  }
  if (needed > f.page_size || page.size < f.page_size) return false;
  // The same layout as WriteDataPageSlots: rows packed from the end of the
  // page in slot order, the rest of the body zeroed, the header kept.
  out->resize(f.page_size);
  uint8_t* p = out->data();
  std::memcpy(p, page.data, f.data_first_slot);
  size_t end = f.page_size;
  Put16(p, f.data_row_count, static_cast<uint16_t>(spans.size()));
  for (size_t s = 0; s < spans.size(); ++s) {
    const uint8_t* from = s == slot ? bytes.data : page.data + spans[s].offset;
    const size_t length = s == slot ? bytes.size : spans[s].length;
    end -= length;
    if (length != 0) std::memcpy(p + end, from, length);
    Put16(p, f.data_first_slot + 2 * s,
          static_cast<uint16_t>(end | (s == slot ? flags : spans[s].flags)));
  }
  size_t table_end = f.data_first_slot + 2 * spans.size();
  // Everything between the slot table and the rows is zero (only that
  // needs clearing in a reused buffer).
  std::memset(p + table_end, 0, end - table_end);
  Put16(p, 2, static_cast<uint16_t>(end - table_end));
  return true;
}

size_t DataPageFreeSpace(const Format& f, ByteView page) {
  uint16_t count = page.U16(f.data_row_count);
  size_t table_end = f.data_first_slot + size_t{count} * 2;
  size_t low = page.size;
  for (uint16_t s = 0; s < count; ++s) {
    size_t start = page.U16(f.data_first_slot + 2 * size_t{s}) & kSlotOffsetMask;
    if (start >= table_end && start < low) low = start;
  }
  return low >= table_end ? low - table_end : 0;
}

size_t DataPageBytesNeeded(const Format& f, const std::vector<PageSlot>& slots) {
  size_t n = f.data_first_slot + 2 * slots.size();
  for (const PageSlot& s : slots) n += s.bytes.size();
  return n;
}

size_t MaxRowSize(const Format& f) { return f.page_size - f.data_first_slot - 2; }

bool WriteDataPageSlots(const Format& f, const std::vector<PageSlot>& slots, uint8_t* page) {
  if (DataPageBytesNeeded(f, slots) > f.page_size || slots.size() > 0xFFFF) return false;
  std::vector<uint8_t> body(f.page_size - f.data_first_slot, 0);
  size_t end = f.page_size;
  Put16(page, f.data_row_count, static_cast<uint16_t>(slots.size()));
  for (size_t s = 0; s < slots.size(); ++s) {
    end -= slots[s].bytes.size();
    if (!slots[s].bytes.empty()) {
      std::memcpy(body.data() + (end - f.data_first_slot), slots[s].bytes.data(),
                  slots[s].bytes.size());
    }
    uint16_t entry = static_cast<uint16_t>(end | slots[s].flags);
    body[2 * s] = static_cast<uint8_t>(entry);
    body[2 * s + 1] = static_cast<uint8_t>(entry >> 8);
  }
  std::memcpy(page + f.data_first_slot, body.data(), body.size());
  size_t table_end = f.data_first_slot + 2 * slots.size();
  Put16(page, 2, static_cast<uint16_t>(end - table_end));
  return true;
}

void InitDataPage(const Format& f, uint32_t owner, uint8_t* page) {
  std::memset(page, 0, f.page_size);
  page[0] = kPageData;
  page[1] = 0x01;
  Put32(page, 4, owner);
  Put16(page, 2, static_cast<uint16_t>(f.page_size - f.data_first_slot));
}

uint32_t DataPageOwner(ByteView page) { return page.U32(4); }

}  // namespace jet
