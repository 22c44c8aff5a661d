// The rollback journal's on-disk layout.
//
// FILE-journal holds the original images of the database pages a
// transaction is about to overwrite, so that an interrupted transaction can
// be undone. All numbers are little-endian.
//
//   header, 512 bytes:
//     0  8  magic "TQJRNL01"
//     8  4  layout version (1)
//    12  4  database page size
//    16  8  database size in bytes before the transaction
//    24  4  salt, new for every transaction
//    28  4  zero
//    32  4  CRC-32 of bytes 0-31
//    36     zeros up to 512
//   then records, each page_size + 8 bytes:
//     0  4  page number
//     4  n  the page as it was before the transaction
//   4+n  4  CRC-32 of the salt, the page number and the page bytes
//
// A header whose magic or CRC does not match means the database was never
// touched by that transaction (the header is flushed before any database
// write), so the journal is ignored. Records are read in order up to the
// first incomplete one or one whose CRC fails — a record from an older
// transaction fails because its salt differs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/status.h"

namespace jet::journal {

constexpr size_t kHeaderSize = 512;
constexpr char kMagic[8] = {'T', 'Q', 'J', 'R', 'N', 'L', '0', '1'};
constexpr uint32_t kLayoutVersion = 1;

struct Header {
  uint32_t page_size = 0;
  uint64_t original_size = 0;
  uint32_t salt = 0;
};

// The journal's path for a database path: "<path>-journal".
std::string PathFor(const std::string& database_path);

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0);

std::vector<uint8_t> EncodeHeader(const Header& header);
// Fails with Corruption when the bytes are not a complete, valid header.
Result<Header> DecodeHeader(const uint8_t* data, size_t n);

size_t RecordSize(uint32_t page_size);
std::vector<uint8_t> EncodeRecord(uint32_t salt, uint32_t page, const uint8_t* image,
                                  uint32_t page_size);
// True when `data` (RecordSize bytes) is a valid record for `salt`; sets `page`.
bool DecodeRecord(const uint8_t* data, uint32_t salt, uint32_t page_size, uint32_t* page);

}  // namespace jet::journal
