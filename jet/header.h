// The database header on page 0: format, code page, sort order, database key,
// creation date and database password, most of it RC4-masked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format.h"
#include "jet/status.h"

namespace jet {

inline constexpr size_t kHeaderMaskStart = 0x18;
inline constexpr size_t kHeaderReadSize = 0x18 + 128;  // enough for every header field

struct Header {
  const Format* format = nullptr;
  uint16_t code_page = 0;
  uint32_t sort_order = 0;
  uint32_t database_key = 0;  // non-zero: every page but the first is RC4-encoded
  double creation_date = 0;   // Jet 4 only
  std::string password;       // UTF-8; empty when the database has none
  // ACE files with a password: the key that, with the page number, selects
  // each page's Office encryption key (database_key stays 0 for them).
  uint32_t office_key = 0;
};

// ACE files keep their Office encryption description on page 0 from here: a
// 16-bit length, then the description itself.
inline constexpr size_t kOfficeCryptoOffset = 0x299;

// Parses the first kHeaderReadSize bytes of a file named `file` (for messages).
// Fails with NotSupported for files of unknown versions and Corruption for
// anything that is not a Jet or ACE database.
Result<Header> ParseHeader(const std::vector<uint8_t>& raw, const std::string& file);

// Ok when the database has no header password or `given` matches it exactly;
// BadPassword ("Not a valid password.") otherwise. Encrypted ACE files check
// theirs through their cipher (jet/crypto/office_cipher.h).
Status CheckPassword(const Header& header, const std::string& given);

// The 4-byte RC4 key of an encoded page.
void PageKey(uint32_t database_key, uint32_t page, uint8_t key[4]);

}  // namespace jet
