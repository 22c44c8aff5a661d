#include "data/profile/private_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "data/profile/file_replace.h"
#include "data/profile/ini_document.h"
#include "data/profile/text_encoding.h"

namespace data {

using profile::IniDocument;
using profile::IsValidUtf8;
using profile::Utf8PrefixLength;
namespace {

enum class ReadOutcome { kRead, kMissing, kFailed };

// Reads a whole file. A file that does not exist is kMissing; anything else
// that cannot be read (a folder, no permission) is kFailed.
ReadOutcome ReadFile(const char* path, std::string* out) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kFailed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadOutcome::kFailed;
  }
  out->clear();
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      out->append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      return ReadOutcome::kFailed;
    }
  }
  ::close(fd);
  return ReadOutcome::kRead;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* default_value, char* buffer, std::uint32_t size,
                                       const char* file_name) {
  if (buffer == nullptr || size == 0) return 0;
  std::string_view fallback = default_value != nullptr ? default_value : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);

  std::optional<std::string> found;
  std::string bytes;
  if (section != nullptr && key != nullptr && file_name != nullptr &&
      ReadFile(file_name, &bytes) == ReadOutcome::kRead) {
    found = IniDocument::Parse(std::move(bytes)).Find(section, key);
  }
  const std::string_view text = found ? StripQuotes(*found) : fallback;
  const std::size_t length = Utf8PrefixLength(text, size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<std::uint32_t>(length);
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file_name) {
  if (section == nullptr || key == nullptr || value == nullptr || file_name == nullptr) return 0;
  const std::string_view section_name = section, key_name = key, text = value;
  // A line break would let a value start new lines of its own (a section, a
  // key); refusing keeps the file's structure whatever is typed.
  if (HasLineBreak(section_name) || HasLineBreak(key_name) || HasLineBreak(text)) return 0;
  if (!IsValidUtf8(section_name) || !IsValidUtf8(key_name) || !IsValidUtf8(text)) return 0;
  if (key_name.find('=') != std::string_view::npos) return 0;
  if (section_name.find(']') != std::string_view::npos) return 0;
  if (key_name.empty() || key_name.front() == ';' || key_name.front() == '[') return 0;

  std::string bytes;
  switch (ReadFile(file_name, &bytes)) {
    case ReadOutcome::kFailed:
      return 0;  // never overwrite a file we could not read
    case ReadOutcome::kMissing:
      bytes.clear();
      break;
    case ReadOutcome::kRead:
      break;
  }
  IniDocument doc = IniDocument::Parse(std::move(bytes));
  if (!doc.valid()) return 0;
  doc.Set(section_name, key_name, text);
  const std::string out = doc.Serialize();
  if (out.empty()) return 0;
  return profile::ReplaceFileContents(file_name, out) ? 1 : 0;
}

}  // namespace data
