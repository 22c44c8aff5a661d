// The generated per-character sort-key streams (see jet/keys/gen/NOTICE.md).
//
// Each stream is expanded once, on first use, by char_rules.cc; nothing else
// should read these bytes directly.
#pragma once

#include <cstddef>

namespace jet::keys::data {

extern const unsigned char kGeneralCodes[];
extern const size_t kGeneralCodesSize;
extern const unsigned char kGeneralLegacyCodes[];
extern const size_t kGeneralLegacyCodesSize;
extern const unsigned char kGeneral97Codes[];
extern const size_t kGeneral97CodesSize;

}  // namespace jet::keys::data
