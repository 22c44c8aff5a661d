#include "data/profile/ini_value.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/profile/private_profile.h"
#include "data/profile/text_encoding.h"

namespace data {

using profile::Utf8PrefixLength;
namespace {

constexpr int kHighName = kNameBufferSize - 1;
constexpr int kHighValue = kValueBufferSize - 1;

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

bool FileNameFits(std::string_view file_name) {
  return UpToZero(file_name).size() <= static_cast<std::size_t>(kHighName);
}

}  // namespace

void ZeroFillBuffer(char* buffer, int high_index, int count) {
  if (buffer == nullptr || count <= 0 || high_index < 0) return;
  std::memset(buffer, 0, static_cast<std::size_t>(std::min(count, high_index + 1)));
}

void CopyToBuffer(std::string_view text, char* buffer, int high_index) {
  if (buffer == nullptr || high_index < 0) return;
  const std::string_view whole = UpToZero(text);
  const std::size_t length = Utf8PrefixLength(whole, static_cast<std::size_t>(high_index));
  ZeroFillBuffer(buffer, high_index, static_cast<int>(length) + 1);
  std::memcpy(buffer, whole.data(), length);
}

std::string ReadIniValue(std::string_view section, std::string_view key,
                         std::string_view default_value, std::string_view file_name) {
  std::array<char, kNameBufferSize> section_buf{}, key_buf{}, default_buf{}, file_buf{};
  std::array<char, kValueBufferSize> value_buf{};
  CopyToBuffer(section, section_buf.data(), kHighName);
  CopyToBuffer(key, key_buf.data(), kHighName);
  CopyToBuffer(default_value, default_buf.data(), kHighName);
  if (!FileNameFits(file_name)) return std::string(default_buf.data());
  CopyToBuffer(file_name, file_buf.data(), kHighName);
  GetPrivateProfileStringA(section_buf.data(), key_buf.data(), default_buf.data(), value_buf.data(),
                           kValueBufferSize - 1, file_buf.data());
  return std::string(value_buf.data(), strnlen(value_buf.data(), value_buf.size()));
}

bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view file_name) {
  if (!FileNameFits(file_name)) return false;
  std::array<char, kNameBufferSize> section_buf{}, key_buf{}, file_buf{};
  std::array<char, kValueBufferSize> value_buf{};
  CopyToBuffer(section, section_buf.data(), kHighName);
  CopyToBuffer(key, key_buf.data(), kHighName);
  CopyToBuffer(value, value_buf.data(), kHighValue);
  CopyToBuffer(file_name, file_buf.data(), kHighName);
  return WritePrivateProfileStringA(section_buf.data(), key_buf.data(), value_buf.data(),
                                    file_buf.data()) != 0;
}

}  // namespace data
