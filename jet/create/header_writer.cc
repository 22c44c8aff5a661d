#include "jet/create/header_writer.h"

#include <chrono>
#include <cstring>

#include "jet/create/bytes_out.h"
#include "jet/header.h"
#include "jet/rc4.h"
#include "jet/text_codec.h"

namespace jet::create {

namespace {
constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr size_t kMaskLength = 128;
constexpr char kMagic[] = "Standard Jet DB";
// The first bytes of the masked block hold the same values in every Jet 4
// file the engine creates.
constexpr uint8_t kMaskedPrefix[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                     0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                     0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
constexpr uint16_t kCodePage = 1252;
constexpr size_t kCodePageOffset = 0x3C;
constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kPasswordBytes = 40;
constexpr size_t kSortOrderOffset = 0x6E;
constexpr size_t kCreationDateOffset = 0x72;
constexpr size_t kEngineTagOffset = 0x98;
constexpr uint8_t kEngineTag[] = {0x54, 0x06, 0x00, 0x00, '4', '.', '0', 0x00};
constexpr size_t kTrailerOffset = 0xE00;
}  // namespace

double NowAsDays() {
  using namespace std::chrono;
  double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
  // 1970-01-01 is day 25569 of the automation calendar.
  return 25569.0 + seconds / 86400.0;
}

Status WriteHeaderPage(uint8_t* page, const std::string& password, double creation_date,
                       const keys::SortOrder& order) {
  std::string pw = Utf8ToUtf16Le(password);
  if (pw.size() > kPasswordBytes) {
    return Status::InvalidArgument("a database password has at most 20 characters");
  }
  std::memset(page, 0, 4096);
  page[1] = 0x01;
  std::memcpy(page + 4, kMagic, sizeof kMagic);
  page[0x14] = 0x01;  // Jet 4
  std::memcpy(page + kHeaderMaskStart, kMaskedPrefix, sizeof kMaskedPrefix);
  Put16(page + kCodePageOffset, kCodePage);
  // Database key 0 (at 0x3E): pages are stored plain.
  int32_t days = (creation_date > -2147483648.0 && creation_date < 2147483648.0)
                     ? static_cast<int32_t>(creation_date)
                     : 0;
  auto mask = static_cast<uint32_t>(days);
  for (size_t i = 0; i < kPasswordBytes; ++i) {
    uint8_t b = i < pw.size() ? static_cast<uint8_t>(pw[i]) : 0;
    page[kPasswordOffset + i] = b ^ static_cast<uint8_t>(mask >> (8 * (i % 4)));
  }
  Put16(page + kSortOrderOffset, order.id);
  page[kSortOrderOffset + 2] = order.version;
  PutF64(page + kCreationDateOffset, creation_date);
  Rc4Apply(kHeaderKey, sizeof kHeaderKey, page + kHeaderMaskStart, kMaskLength);
  std::memcpy(page + kEngineTagOffset, kEngineTag, sizeof kEngineTag);
  page[kTrailerOffset] = 0x01;
  for (size_t i = kTrailerOffset + 1; i < 4096; i += 2) page[i] = 0x01;
  return Status::Ok();
}

}  // namespace jet::create
