#include "data/profile/ini_document.h"

#include <algorithm>
#include <utility>

#include "data/profile/text_encoding.h"

namespace data::profile {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBomUtf16Le = "\xFF\xFE";
constexpr std::string_view kBomUtf16Be = "\xFE\xFF";

bool IsUtf16(IniDocument::Encoding e) {
  return e == IniDocument::Encoding::kUtf16Le || e == IniDocument::Encoding::kUtf16Be;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace

IniDocument::Line IniDocument::Classify(std::string raw, std::string eol, std::string text) {
  Line line;
  line.raw = std::move(raw);
  line.eol = std::move(eol);
  const std::string_view t = Trim(text);
  if (t.empty()) {
    line.kind = Kind::kBlank;
  } else if (t.front() == ';') {
    line.kind = Kind::kComment;
  } else if (t.front() == '[' && t.rfind(']') != std::string_view::npos) {
    line.kind = Kind::kSection;
    const std::size_t close = t.rfind(']');
    line.name = std::string(Trim(t.substr(1, close - 1)));
  } else {
    line.kind = Kind::kEntry;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
      line.name = std::string(t);
    } else {
      line.name = std::string(Trim(t.substr(0, eq)));
      line.value = std::string(Trim(t.substr(eq + 1)));
    }
  }
  return line;
}

IniDocument IniDocument::Parse(std::string bytes) {
  IniDocument doc;
  std::string_view rest = bytes;
  std::string decoded_utf16;
  if (rest.substr(0, kBom.size()) == kBom) {
    doc.bom_ = true;
    rest.remove_prefix(kBom.size());
    doc.encoding_ = Encoding::kUtf8;
  } else if (rest.substr(0, 2) == kBomUtf16Le || rest.substr(0, 2) == kBomUtf16Be) {
    // UTF-16 lines are held as UTF-8 and converted back as a whole on output.
    doc.bom_ = true;
    doc.encoding_ = rest.substr(0, 2) == kBomUtf16Le ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    auto decoded = Utf16ToUtf8(rest.substr(2), doc.encoding_ == Encoding::kUtf16Le);
    if (!decoded) {
      doc.valid_ = false;
      return doc;
    }
    decoded_utf16 = std::move(*decoded);
    rest = decoded_utf16;
  } else {
    doc.encoding_ = IsValidUtf8(rest) ? Encoding::kUtf8 : Encoding::kGb18030;
  }
  // Line breaks are safe to split on in both encodings: GB18030 never uses
  // CR or LF inside a multi-byte character.
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    std::string raw(rest.substr(0, end));
    std::string eol;
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      const std::size_t eol_len =
          (rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1;
      eol = std::string(rest.substr(end, eol_len));
      rest.remove_prefix(end + eol_len);
    }
    std::string text = raw;
    if (doc.encoding_ == Encoding::kGb18030 && !IsValidUtf8(raw)) {
      if (auto decoded = Gb18030ToUtf8(raw)) text = std::move(*decoded);
    }
    doc.lines_.push_back(Classify(std::move(raw), std::move(eol), std::move(text)));
  }
  return doc;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  const std::string_view wanted = Trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && EqualsIgnoringCase(lines_[i].name, wanted)) return i;
  }
  return std::string::npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return i;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  const std::string_view wanted = Trim(key);
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kEntry && EqualsIgnoringCase(line.name, wanted)) return line.value;
  }
  return std::nullopt;
}

const std::string& IniDocument::NewLineEnding() const {
  static const std::string kDefault = "\n";
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return kDefault;
}

IniDocument::Line IniDocument::MakeLine(std::string text) const {
  std::string raw = text;
  if (encoding_ == Encoding::kGb18030) {
    if (auto encoded = Utf8ToGb18030(text)) raw = std::move(*encoded);
  }
  return Classify(std::move(raw), NewLineEnding(), std::move(text));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view key_name = Trim(key);
  std::size_t header = FindSection(section);
  if (header == std::string::npos) {
    if (!lines_.empty()) {
      if (lines_.back().eol.empty()) lines_.back().eol = NewLineEnding();
      if (lines_.back().kind != Kind::kBlank) lines_.push_back(MakeLine(""));
    }
    lines_.push_back(MakeLine("[" + std::string(Trim(section)) + "]"));
    lines_.push_back(MakeLine(std::string(key_name) + "=" + std::string(value)));
    return;
  }
  const std::size_t end = SectionEnd(header);
  std::size_t last_filled = header;
  for (std::size_t i = header + 1; i < end; ++i) {
    Line& line = lines_[i];
    if (line.kind == Kind::kEntry && EqualsIgnoringCase(line.name, key_name)) {
      std::string eol = std::move(line.eol);
      line = MakeLine(line.name + "=" + std::string(value));
      line.eol = std::move(eol);
      return;
    }
    if (line.kind != Kind::kBlank) last_filled = i;
  }
  // The line we insert after may be the file's last, without a line ending.
  if (lines_[last_filled].eol.empty()) lines_[last_filled].eol = NewLineEnding();
  Line added = MakeLine(std::string(key_name) + "=" + std::string(value));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last_filled + 1), std::move(added));
}

std::string IniDocument::Serialize() const {
  if (!valid_) return {};
  std::string body;
  for (const Line& line : lines_) {
    body += line.raw;
    body += line.eol;
  }
  if (IsUtf16(encoding_)) {
    const bool le = encoding_ == Encoding::kUtf16Le;
    // Lines are decoded UTF-16 or new UTF-8 text, so this only fails if a
    // caller slipped in malformed UTF-8; nothing is written then.
    auto encoded = Utf8ToUtf16(body, le);
    if (!encoded) return {};
    return std::string(le ? kBomUtf16Le : kBomUtf16Be) + *encoded;
  }
  return bom_ ? std::string(kBom) + body : body;
}

}  // namespace data::profile
