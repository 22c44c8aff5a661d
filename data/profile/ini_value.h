// ReadIniValue / WriteIniValue: the program's two wrappers around the profile
// functions, each copying its texts into fixed buffers first, and the two
// buffer helpers they use.
//
// Buffer sizes: section, key, default and file name 256 bytes (255 usable);
// value to write 1024 (1023 usable); value read 1024, of which 1023 are
// offered to the profile function, so a value reads back as at most 1022
// bytes. Longer texts are cut on a character boundary, never written past the
// buffer; a file name that does not fit is refused instead, since a cut path
// would name some other file.
#pragma once

#include <string>
#include <string_view>

namespace data {

inline constexpr int kNameBufferSize = 256;
inline constexpr int kValueBufferSize = 1024;

// Sets the first `count` bytes of `buffer` to zero; a count of zero or less
// does nothing. The count is capped at high_index + 1 so that nothing past
// the buffer is ever touched.
void ZeroFillBuffer(char* buffer, int high_index, int count);

// Copies `text` to the start of `buffer` (whose last index is `high_index`)
// followed by a zero byte, after clearing the bytes it will use with
// ZeroFillBuffer. A text longer than high_index bytes is cut to the longest
// prefix that fits and ends on a character boundary. Copying stops at an
// embedded zero byte, as the profile functions would.
void CopyToBuffer(std::string_view text, char* buffer, int high_index);

// Returns the value of `key` in `section` of the INI file `file_name`, or
// `default_value` when the file, section or key is missing (or the file name
// is too long for its buffer). Never fails.
std::string ReadIniValue(std::string_view section, std::string_view key,
                         std::string_view default_value, std::string_view file_name);

// Writes `value` as `key` in `section` of `file_name`. Returns true when the
// write succeeded; false when it failed (a read-only folder, a file name too
// long for its buffer, a value with a line break). Callers may ignore it.
bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view file_name);

}  // namespace data
