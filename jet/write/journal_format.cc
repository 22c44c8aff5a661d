#include "jet/write/journal_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>

#include "jet/write/crc32_fold.h"

namespace jet::journal {

namespace {

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint64_t Get64(const uint8_t* p) { return uint64_t{Get32(p)} | uint64_t{Get32(p + 4)} << 32; }

// Tables for CRC-32 eight bytes at a time ("slicing by 8"): table k maps a
// byte to its contribution k bytes further on. Journals of large batches run
// to tens of megabytes, so the byte-at-a-time loop showed in profiles.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

const CrcTables& Tables() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
      for (size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
    return t;
  }();
  return tables;
}

}  // namespace

std::string PathFor(const std::string& database_path) { return database_path + "-journal"; }

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc) {
  const CrcTables& t = Tables();
  crc = ~crc;
  size_t i = 0;
  if (n >= 64 && CanFoldCrc32()) {
    i = n & ~size_t{15};
    crc = FoldCrc32(crc, data, i);
  }
  for (; i + 8 <= n; i += 8) {
    const uint32_t lo = crc ^ Get32(data + i);
    const uint32_t hi = Get32(data + i + 4);
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
  }
  for (; i < n; ++i) crc = t[0][(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Fingerprint(const uint8_t* page0, size_t n) { return Crc32(page0, n); }

std::vector<uint8_t> EncodeHeader(const Header& header) {
  std::vector<uint8_t> out(kHeaderSize, 0);
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  Put32(&out[8], header.layout);
  Put32(&out[12], header.page_size);
  Put64(&out[16], header.original_size);
  Put32(&out[24], header.salt);
  if (header.layout != kLayoutWithoutFingerprint) Put32(&out[28], header.fingerprint);
  Put32(&out[32], Crc32(out.data(), 32));
  return out;
}

Result<Header> DecodeHeader(const uint8_t* data, size_t n) {
  if (n < kHeaderSize) return Status::Corruption("journal header is incomplete");
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    return Status::Corruption("journal header has no valid signature");
  }
  if (Crc32(data, 32) != Get32(data + 32))
    return Status::Corruption("journal header checksum fails");
  Header h;
  h.layout = Get32(data + 8);
  if (h.layout != kLayoutVersion && h.layout != kLayoutWithoutFingerprint) {
    return Status::Corruption("journal layout version " + std::to_string(h.layout) + " unknown");
  }
  h.page_size = Get32(data + 12);
  h.original_size = Get64(data + 16);
  h.salt = Get32(data + 24);
  if (h.layout != kLayoutWithoutFingerprint) h.fingerprint = Get32(data + 28);
  if (h.page_size < 512 || h.page_size > 65536) {
    return Status::Corruption("journal page size " + std::to_string(h.page_size) + " is invalid");
  }
  return h;
}

size_t RecordSize(uint32_t page_size) { return size_t{page_size} + 8; }

std::vector<uint8_t> EncodeRecord(uint32_t salt, uint32_t page, const uint8_t* image,
                                  uint32_t page_size) {
  std::vector<uint8_t> out(RecordSize(page_size));
  EncodeRecordTo(salt, page, image, page_size, out.data());
  return out;
}

void EncodeRecordTo(uint32_t salt, uint32_t page, const uint8_t* image, uint32_t page_size,
                    uint8_t* out) {
  uint8_t salt_bytes[4];
  Put32(salt_bytes, salt);
  Put32(out, page);
  std::memcpy(out + 4, image, page_size);
  uint32_t crc = Crc32(salt_bytes, 4);
  crc = Crc32(out, size_t{page_size} + 4, crc);
  Put32(out + 4 + page_size, crc);
}

bool DecodeRecord(const uint8_t* data, uint32_t salt, uint32_t page_size, uint32_t* page) {
  uint8_t salt_bytes[4];
  Put32(salt_bytes, salt);
  uint32_t crc = Crc32(salt_bytes, 4);
  crc = Crc32(data, size_t{page_size} + 4, crc);
  if (crc != Get32(data + 4 + page_size)) return false;
  *page = Get32(data);
  return true;
}

Result<RecoveryPlan> PlanRecovery(const JournalReader& read, uint64_t journal_size,
                                  uint64_t database_size, const JournalReader& read_database) {
  RecoveryPlan plan;
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(journal_size, kHeaderSize)));
  if (!head.empty()) JET_RETURN_IF_ERROR(read(0, head.size(), head.data()));
  // A header never written (the file just made, or its data lost in a crash
  // before the flush that precedes every database write): nothing happened.
  if (std::all_of(head.begin(), head.end(), [](uint8_t b) { return b == 0; })) return plan;
  // Shorter than a header: the header's own write was cut off, which happens
  // only before that flush. Its first bytes must still be our signature.
  if (head.size() < kHeaderSize) {
    for (size_t i = 0; i < head.size() && i < sizeof kMagic; ++i) {
      if (head[i] != 0 && head[i] != static_cast<uint8_t>(kMagic[i])) {
        return Status::Corruption("journal of " + std::to_string(head.size()) +
                                  " bytes does not start with a journal signature");
      }
    }
    return plan;
  }
  auto header = DecodeHeader(head.data(), head.size());
  if (!header.ok()) return header.status();
  const Header& h = *header;
  if (h.original_size == 0 || h.original_size % h.page_size != 0) {
    return Status::Corruption("journal gives an original size of " +
                              std::to_string(h.original_size) + " bytes, not whole pages of " +
                              std::to_string(h.page_size));
  }
  if (h.original_size > database_size) {
    return Status::Corruption("journal gives an original size of " +
                              std::to_string(h.original_size) + " bytes, more than the " +
                              std::to_string(database_size) + " bytes of the file beside it");
  }
  plan.nothing_to_do = false;
  plan.header = h;
  const size_t record_size = RecordSize(h.page_size);
  const uint64_t original_pages = h.original_size / h.page_size;
  std::vector<uint8_t> record(record_size);
  std::unordered_set<uint32_t> pages;
  bool page0_saved = false;
  bool ended = false;  // a record failed: only a torn tail may follow
  for (uint64_t at = kHeaderSize; at + record_size <= journal_size; at += record_size) {
    JET_RETURN_IF_ERROR(read(at, record_size, record.data()));
    uint32_t page = 0;
    if (!DecodeRecord(record.data(), h.salt, h.page_size, &page)) {
      ended = true;
      continue;
    }
    auto refuse = [at](const std::string& why) {
      return Status::Corruption("journal record at byte " + std::to_string(at) + " " + why);
    };
    if (ended) return refuse("follows a damaged record");
    if (page >= original_pages) {
      return refuse("is for page " + std::to_string(page) + ", beyond the file's original " +
                    std::to_string(original_pages) + " pages");
    }
    if (!pages.insert(page).second) {
      return refuse("saves page " + std::to_string(page) + " a second time");
    }
    if (page == 0 && h.layout != kLayoutWithoutFingerprint) {
      // The original of page 0 is what the fingerprint was taken from.
      if (Fingerprint(record.data() + 4, h.page_size) != h.fingerprint) {
        return refuse("holds a page 0 that does not match the journal's fingerprint");
      }
      page0_saved = true;
    }
    plan.records.push_back({at, page});
  }
  if (h.layout != kLayoutWithoutFingerprint && read_database != nullptr && !page0_saved) {
    // The transaction left page 0 alone, so the file's must still match.
    std::vector<uint8_t> page0(h.page_size);
    JET_RETURN_IF_ERROR(read_database(0, page0.size(), page0.data()));
    if (Fingerprint(page0.data(), page0.size()) != h.fingerprint) {
      return Status::Corruption(
          "journal was written for another file: page 0 of this file does not match the "
          "fingerprint the journal recorded");
    }
  }
  return plan;
}

}  // namespace jet::journal
