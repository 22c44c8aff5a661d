#include "jet/header.h"

#include <cstring>

#include "jet/bytes_view.h"
#include "jet/rc4.h"
#include "jet/text_codec.h"

namespace jet {

namespace {
constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr size_t kVersionOffset = 0x14;
constexpr size_t kCodePageOffset = 0x3C;
constexpr size_t kDatabaseKeyOffset = 0x3E;
constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kCreationDateOffset = 0x72;
constexpr char kJetMagic[] = "Standard Jet DB";
constexpr char kAceMagic[] = "Standard ACE DB";
}  // namespace

Result<Header> ParseHeader(const std::vector<uint8_t>& raw, const std::string& file) {
  if (raw.size() < kHeaderReadSize) {
    return Status::Corruption(file + ": too short to be an Access database (" +
                              std::to_string(raw.size()) + " bytes)");
  }
  bool jet = std::memcmp(raw.data() + 4, kJetMagic, sizeof kJetMagic) == 0;
  bool ace = std::memcmp(raw.data() + 4, kAceMagic, sizeof kAceMagic) == 0;
  if (raw[0] != 0x00 || raw[1] != 0x01 || raw[2] != 0 || raw[3] != 0 || (!jet && !ace)) {
    return Status::Corruption(file + ": not an Access database (page 0 has no Jet signature)");
  }
  uint8_t version = raw[kVersionOffset];
  Header h;
  if (ace) {
    h.format = AceFormat(version);
    if (h.format == nullptr) {
      return Status::NotSupported(file + ": unknown Access database version " +
                                  std::to_string(version) + " (Access 2007 to 2019 are known)");
    }
  } else if (version <= 1) {
    h.format = version == 0 ? &Jet3Format() : &Jet4Format();
  } else {
    return Status::NotSupported(file + ": unknown Jet database version " + std::to_string(version));
  }
  std::vector<uint8_t> plain(raw.begin(), raw.begin() + kHeaderReadSize);
  Rc4Apply(kHeaderKey, sizeof kHeaderKey, plain.data() + kHeaderMaskStart,
           h.format->header_mask_length);
  ByteView v{plain.data(), plain.size()};
  h.code_page = v.U16(kCodePageOffset);
  h.database_key = v.U32(kDatabaseKeyOffset);
  h.sort_order = h.format->sort_order_size == 2 ? v.U16(h.format->sort_order_offset)
                                                : v.U32(h.format->sort_order_offset);
  if (h.format->office_crypto && h.database_key != 0) {
    // The password lives in the Office encryption description, not here.
    h.office_key = h.database_key;
    h.database_key = 0;
    return h;
  }
  std::vector<uint8_t> pw(plain.begin() + kPasswordOffset,
                          plain.begin() + kPasswordOffset + h.format->password_length);
  if (h.format->password_date_mask) {
    h.creation_date = v.F64(kCreationDateOffset);
    // The mask is the creation date's whole days as a little-endian int32.
    double d = h.creation_date;
    int32_t days = (d > -2147483648.0 && d < 2147483648.0) ? static_cast<int32_t>(d) : 0;
    auto u = static_cast<uint32_t>(days);
    for (size_t i = 0; i < pw.size(); ++i) pw[i] ^= static_cast<uint8_t>(u >> (8 * (i % 4)));
  }
  if (h.format->text_utf16) {
    size_t n = 0;
    while (n + 1 < pw.size() && (pw[n] != 0 || pw[n + 1] != 0)) n += 2;
    h.password = Utf16LeToUtf8(ByteView{pw.data(), n});
  } else {
    size_t n = 0;
    while (n < pw.size() && pw[n] != 0) ++n;
    h.password = CodePageDecoder(h.code_page).Decode(ByteView{pw.data(), n});
  }
  return h;
}

Status CheckPassword(const Header& header, const std::string& given) {
  if (header.password.empty() || header.password == given) return Status::Ok();
  return Status::BadPassword("Not a valid password.");
}

void PageKey(uint32_t database_key, uint32_t page, uint8_t key[4]) {
  uint32_t k = database_key ^ page;
  for (int i = 0; i < 4; ++i) key[i] = static_cast<uint8_t>(k >> (8 * i));
}

}  // namespace jet
