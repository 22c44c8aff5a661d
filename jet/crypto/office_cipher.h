// Pages of password-protected ACE files: Office document encryption, either
// RC4 through CryptoAPI (Access 2007) or the "agile" scheme with AES and a
// spun SHA key derivation (Access 2010 and later). Hashing and AES come from
// OpenSSL's libcrypto.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "jet/bytes_view.h"
#include "jet/status.h"

namespace jet {

// Decodes and encodes the pages of one encrypted file; page 0 is never
// encrypted.
class PageCipher {
 public:
  virtual ~PageCipher() = default;
  // Decrypts page `page` in place (`size` is the page size).
  virtual void Decode(uint32_t page, uint8_t* data, size_t size) const = 0;
  // Encrypts page `page` in place: Decode's inverse, always the whole page.
  // False when the cryptography library fails (nothing may then be written).
  [[nodiscard]] virtual bool Encode(uint32_t page, uint8_t* data, size_t size) const = 0;
};

// The cipher for a file whose page 0 (header mask removed) is `page0` and
// whose header key is `office_key`, opened with `password` (UTF-8). Fails
// with BadPassword ("Not a valid password.") when the password does not
// verify, NotSupported for schemes Access does not use for databases, and
// Corruption (naming `file`) for a description that cannot be parsed.
Result<std::unique_ptr<PageCipher>> OpenOfficeCipher(ByteView page0, uint32_t office_key,
                                                     const std::string& password,
                                                     const std::string& file);

// Parses the encryption description alone, checking its structure but no
// password (for fuzzing and diagnostics): Ok, NotSupported or Corruption.
Status CheckOfficeCryptoHeader(ByteView page0, const std::string& file);

}  // namespace jet

namespace jet {

class ByteSource;
struct Header;

// Checks `password` against the database whose header is `header`: through
// the header's password field for .mdb files and unencrypted ACE files, or
// by opening the Office cipher of an encrypted one. The cipher the pages need
// (null when they need none), or BadPassword ("Not a valid password.").
Result<std::shared_ptr<const PageCipher>> UnlockPages(const ByteSource& source,
                                                      const Header& header,
                                                      const std::string& password);

}  // namespace jet
