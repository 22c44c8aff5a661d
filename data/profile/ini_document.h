// IniDocument: one INI file held as its original lines, so that a change to
// one key rewrites that line only and keeps everything else byte for byte
// (other sections and keys, comments, blank lines, order, line endings, a
// byte-order mark, and the file's encoding).
//
// Matching follows the Windows profile functions: section and key names are
// compared ignoring letter case after trimming blanks; the first matching
// section and the first matching key in it win; a line without "=" is a key
// without value; lines starting with ";" are comments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace data::profile {

class IniDocument {
 public:
  enum class Encoding { kUtf8, kGb18030, kUtf16Le, kUtf16Be };

  // Parses the bytes of a file. A file that is not valid UTF-8 is taken as
  // GB18030 (the Chinese Windows code page), line by line; a line that is
  // valid in neither keeps its bytes and matches on its ASCII parts. A file
  // with a UTF-16 byte-order mark (saved as "Unicode" by a Windows editor) is
  // read as UTF-16 and written back so.
  static IniDocument Parse(std::string bytes);

  Encoding encoding() const { return encoding_; }
  // False for a UTF-16 file that does not decode: it has no keys and must
  // not be written over.
  bool valid() const { return valid_; }

  // Returns the value of `key` in `section`, blanks trimmed, quotes NOT yet
  // stripped, as UTF-8; nullopt when the section, the key or its "=" is
  // missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // Sets `key` in `section` to `value` (UTF-8), written as "key=value". An
  // existing key keeps its spelling and line ending; a missing key is added
  // after the last non-blank line of the section; a missing section is added
  // at the end of the file. The new text is encoded like the rest of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  // Returns the bytes of the file (empty for an invalid document).
  std::string Serialize() const;

 private:
  enum class Kind { kBlank, kComment, kSection, kEntry };
  struct Line {
    std::string raw;  // the bytes as stored, without the line ending
    std::string eol;  // "\r\n", "\n", "\r" or "" for a last line without one
    Kind kind = Kind::kBlank;
    std::string name;                  // section name or key name, trimmed, UTF-8
    std::optional<std::string> value;  // entries only; trimmed, UTF-8
  };

  static Line Classify(std::string raw, std::string eol, std::string text);
  // Index of the first section header matching `section`, or npos.
  std::size_t FindSection(std::string_view section) const;
  // One past the last line of the section whose header is at `header`.
  std::size_t SectionEnd(std::size_t header) const;
  Line MakeLine(std::string text) const;
  const std::string& NewLineEnding() const;

  Encoding encoding_ = Encoding::kUtf8;
  bool bom_ = false;
  bool valid_ = true;
  std::vector<Line> lines_;
};

}  // namespace data::profile
