// The rollback journal's on-disk layout.
//
// FILE-journal holds the original images of the database pages a
// transaction is about to overwrite, so that an interrupted transaction can
// be undone. All numbers are little-endian.
//
//   header, 512 bytes:
//     0  8  magic "TQJRNL01"
//     8  4  layout version (2)
//    12  4  database page size
//    16  8  database size in bytes before the transaction
//    24  4  salt, new for every transaction
//    28  4  CRC-32 of page 0 as it was when the transaction began (the
//           database's fingerprint; zero in layout 1)
//    32  4  CRC-32 of bytes 0-31
//    36     zeros up to 512
//   then records, each page_size + 8 bytes:
//     0  4  page number
//     4  n  the page as it was before the transaction
//   4+n  4  CRC-32 of the salt, the page number and the page bytes
//
// An empty journal, one whose header is still all zeros, or one cut off
// within its header means the database was never touched by that transaction (the header is flushed
// before any database write), so the journal is ignored. Records are read in
// order up to the first incomplete one or one whose CRC fails — a record from
// an older transaction fails because its salt differs.
//
// Recovery writes only what it can verify: a journal whose header does not
// decode, that cannot belong to the database beside it, or whose records are
// damaged before its end is refused, and both files are left as they are.
// The fingerprint tells a journal copied or left beside another file: page 0
// of the database must match it, or — when the transaction changed page 0 —
// the journal's own image of page 0 must. Layout 1, written by earlier
// versions, has no fingerprint; such journals are still rolled back under
// the other checks, since refusing them would strand a file its own crash
// left half written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jet/status.h"

namespace jet::journal {

constexpr size_t kHeaderSize = 512;
constexpr char kMagic[8] = {'T', 'Q', 'J', 'R', 'N', 'L', '0', '1'};
constexpr uint32_t kLayoutVersion = 2;
constexpr uint32_t kLayoutWithoutFingerprint = 1;

struct Header {
  uint32_t page_size = 0;
  uint64_t original_size = 0;
  uint32_t salt = 0;
  uint32_t fingerprint = 0;  // Fingerprint() of page 0; unused in layout 1
  uint32_t layout = kLayoutVersion;
};

// The journal's path for a database path: "<path>-journal".
std::string PathFor(const std::string& database_path);

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0);

// The fingerprint of a database whose page 0 is `page0` (page-size bytes).
uint32_t Fingerprint(const uint8_t* page0, size_t n);

std::vector<uint8_t> EncodeHeader(const Header& header);
// Fails with Corruption when the bytes are not a complete, valid header.
Result<Header> DecodeHeader(const uint8_t* data, size_t n);

size_t RecordSize(uint32_t page_size);
std::vector<uint8_t> EncodeRecord(uint32_t salt, uint32_t page, const uint8_t* image,
                                  uint32_t page_size);
// EncodeRecord into the RecordSize bytes at `out`.
void EncodeRecordTo(uint32_t salt, uint32_t page, const uint8_t* image, uint32_t page_size,
                    uint8_t* out);
// True when `data` (RecordSize bytes) is a valid record for `salt`; sets `page`.
bool DecodeRecord(const uint8_t* data, uint32_t salt, uint32_t page_size, uint32_t* page);

// What rolling a journal back would do, decided before anything is written.
struct RecoveryPlan {
  bool nothing_to_do = true;  // never started: the journal is just removed
  Header header;
  // Each valid record: where it starts in the journal and the page it holds.
  struct Record {
    uint64_t offset = 0;
    uint32_t page = 0;
  };
  std::vector<Record> records;
};

// Reads `n` bytes of a file at `offset` into `out`.
using JournalReader = std::function<Status(uint64_t offset, size_t n, uint8_t* out)>;

// Checks a journal of `journal_size` bytes found beside a database of
// `database_size` bytes and returns what rolling it back would write. Fails
// with Corruption (the message says why) when the journal is damaged or
// cannot be this database's: a header that does not decode, an original size
// that is not whole pages or exceeds the file (a change only ever grows it),
// a record for a page beyond that size or for a page already restored, a
// valid record after a damaged one, or a fingerprint that matches neither the
// database's page 0 (read through `read_database`) nor the journal's image of
// it. Without `read_database` the fingerprint is not checked. Read failures
// are passed on.
Result<RecoveryPlan> PlanRecovery(const JournalReader& read, uint64_t journal_size,
                                  uint64_t database_size,
                                  const JournalReader& read_database = nullptr);

}  // namespace jet::journal
