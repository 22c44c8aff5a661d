// Fuzzes recovery from a journal found beside a database. The first input
// byte chooses how the rest is used; with its low bit set the header and
// records are given valid signatures and checksums, so that the fuzzer gets
// past them to the sizes and page numbers, and the header gets the layout
// without a fingerprint (bit 1), the fuzzer's own fingerprint (bit 2) or the
// database's. Whatever the journal holds, recovery either refuses it and
// leaves both files byte for byte as they were, or removes it having
// restored only the pages it recorded, leaving a page 0 that matches the
// fingerprint.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "jet/write/journal_format.h"
#include "jet/write/journaled_file.h"
#include "jet/io/memory_file_system.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kPage = 512;
constexpr char kDb[] = "db.mdb";

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Gives the journal a valid header for 512-byte pages and valid checksums on
// every whole record, keeping the fuzzer's sizes, salt and page numbers.
void MakePlausible(Bytes& j, uint8_t mode, const Bytes& db) {
  if (j.size() < jet::journal::kHeaderSize) return;
  std::memcpy(j.data(), jet::journal::kMagic, sizeof jet::journal::kMagic);
  if (mode & 2) {
    Put32(&j[8], jet::journal::kLayoutWithoutFingerprint);
  } else {
    Put32(&j[8], jet::journal::kLayoutVersion);
    if (!(mode & 4)) Put32(&j[28], jet::journal::Fingerprint(db.data(), kPage));
  }
  Put32(&j[12], kPage);
  Put32(&j[32], jet::journal::Crc32(j.data(), 32));
  const uint32_t salt = Get32(&j[24]);
  uint8_t salt_bytes[4];
  Put32(salt_bytes, salt);
  const size_t record = jet::journal::RecordSize(kPage);
  for (size_t at = jet::journal::kHeaderSize; at + record <= j.size(); at += record) {
    uint32_t crc = jet::journal::Crc32(salt_bytes, 4);
    crc = jet::journal::Crc32(&j[at], kPage + 4, crc);
    Put32(&j[at + 4 + kPage], crc);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  const uint8_t mode = data[0];
  // A database of 2 to 9 pages, as a change that appended some left it.
  Bytes db(static_cast<size_t>(2 + (mode >> 5)) * kPage);
  for (size_t i = 0; i < db.size(); ++i) db[i] = static_cast<uint8_t>(i * 31 + i / kPage);
  Bytes journal(data + 1, data + size);
  if (mode & 1) MakePlausible(journal, mode, db);

  jet::MemoryFileSystem fs;
  fs.Put(kDb, db);
  fs.Put(jet::journal::PathFor(kDb), journal);
  const jet::Status recovered = jet::RecoverJournal(&fs, kDb);
  const bool journal_left = *fs.Exists(jet::journal::PathFor(kDb));
  if (!recovered.ok()) {
    FUZZ_CHECK(recovered.code() == jet::Status::Code::kIOError);
    FUZZ_CHECK(fs.Contents(kDb) == db);
    FUZZ_CHECK(journal_left && fs.Contents(jet::journal::PathFor(kDb)) == journal);
    return 0;
  }
  FUZZ_CHECK(!journal_left);
  const Bytes after = fs.Contents(kDb);
  auto header = jet::journal::DecodeHeader(journal.data(), journal.size());
  if (!header.ok()) {
    FUZZ_CHECK(after == db);
    return 0;
  }
  // Restored: cut to the old size; every page is the page as it was or one
  // of the images the journal holds for that page.
  FUZZ_CHECK(after.size() == header->original_size);
  const size_t page_size = header->page_size;
  const size_t record = jet::journal::RecordSize(header->page_size);
  for (size_t p = 0; p * page_size < after.size(); ++p) {
    const uint8_t* now = &after[p * page_size];
    bool known = std::memcmp(now, &db[p * page_size], page_size) == 0;
    for (size_t at = jet::journal::kHeaderSize; !known && at + record <= journal.size();
         at += record) {
      known = Get32(&journal[at]) == p && std::memcmp(now, &journal[at + 4], page_size) == 0;
    }
    FUZZ_CHECK(known);
  }
  if (header->layout == jet::journal::kLayoutVersion) {
    FUZZ_CHECK(jet::journal::Fingerprint(after.data(), page_size) == header->fingerprint);
  }
  return 0;
}
