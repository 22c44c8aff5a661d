// Our profile functions, shaped like the Windows ANSI profile calls the
// program was written against. Texts are zero-terminated UTF-8; a profile
// stored in the Chinese Windows code page (GBK/GB18030) is read and kept in
// that encoding.
#pragma once

#include <cstdint>

namespace data {

// Copies the value of `key` in `section` of the INI file `file_name` into
// `buffer`, or `default_value` (trailing blanks removed) when the file, the
// section or the key is missing or unreadable. Section and key names match
// ignoring case. One pair of matching surrounding quotes (' or ") is
// stripped. At most size - 1 bytes are copied, cut on a character boundary,
// and a zero byte always follows them (nothing is written when size is 0).
// Returns the number of bytes copied, without the zero byte.
std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* default_value, char* buffer, std::uint32_t size,
                                       const char* file_name);

// Sets `key` in `section` of `file_name` to `value`, creating the file, the
// section and the key when missing and keeping every other line as it was.
// Returns non-zero on success; 0 when an argument is null or not UTF-8, when
// a name or the value would break the line structure (a line break, "=" in a key, "]" in a
// section) or when the file cannot be read or written (a file without write
// permission included). The new content replaces the old in one step, so a
// failed write leaves the file as it was.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file_name);

}  // namespace data
