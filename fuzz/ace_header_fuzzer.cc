// Fuzzes the parsers of an Access 2007+ header: the version and masked fields
// of page 0 and the Office encryption description at its end (RC4 CryptoAPI
// and agile XML). The input is page 0 after its signature; any input must end
// in a header or a failed Status, with no crash or stray read. Keys are not
// derived (their spin counts would make each run slow), only parsed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "jet/crypto/office_cipher.h"
#include "jet/header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kPage = 4096;
  constexpr char kSignature[] = "\x00\x01\x00\x00Standard ACE DB";  // 4 + 16 bytes with its NUL
  std::vector<uint8_t> page(kPage, 0);
  std::memcpy(page.data(), kSignature, sizeof kSignature);
  const size_t n = std::min(size, kPage - 0x14);
  if (n > 0) std::memcpy(page.data() + 0x14, data, n);
  auto header = jet::ParseHeader(page, "fuzz.accdb");
  // Short inputs exercise the description's own bounds checks too.
  const size_t page0 = std::min(kPage, 0x14 + size);
  auto status = jet::CheckOfficeCryptoHeader(jet::ByteView{page.data(), page0}, "fuzz.accdb");
  // A version byte no release writes is never taken for a known format.
  if (header.ok()) FUZZ_CHECK(header->format->ace_version >= 12 && header->format->ace_version <= 17);
  // Failures name the file.
  if (!status.ok()) FUZZ_CHECK(status.message().find("fuzz.accdb") != std::string::npos);
  return 0;
}
