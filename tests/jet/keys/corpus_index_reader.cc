#include "corpus_index_reader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

namespace jet::keys::testing {

namespace {

uint32_t Le(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

uint32_t Be(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf16ToUtf8(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

// Jet 4 text: UTF-16LE, or the compressed form that starts with FF FE.
std::string DecodeJet4Text(const uint8_t* p, size_t n) {
  std::u16string units;
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    bool compressed = true;
    size_t i = 2;
    while (i < n) {
      if (p[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        units.push_back(p[i++]);
      } else if (i + 1 < n) {
        units.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
        i += 2;
      } else {
        break;
      }
    }
  } else {
    for (size_t i = 0; i + 1 < n; i += 2)
      units.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
  }
  return Utf16ToUtf8(units);
}

std::string DecodeCp1252(const uint8_t* p, size_t n) {
  static constexpr uint16_t kHigh[32] = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    uint32_t cp = p[i];
    if (cp >= 0x80 && cp < 0xA0) cp = kHigh[cp - 0x80];
    AppendUtf8(cp, &out);
  }
  return out;
}

}  // namespace

bool CorpusFile::Load(const std::string& path, std::string* why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "cannot open";
    return false;
  }
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes_.size() < 4096 || bytes_[0] != 0) {
    *why = "not an Access file";
    return false;
  }
  if (bytes_[0x14] == 0) {
    version_ = JetVersion::kJet3;
    page_size_ = 2048;
  } else if (bytes_[0x14] == 1) {
    version_ = JetVersion::kJet4;
    page_size_ = 4096;
  } else {
    *why = "not a Jet 3 or Jet 4 file";
    return false;
  }
  // A table definition chain starts at a type-2 page no other definition
  // page continues into.
  const size_t pages = bytes_.size() / page_size_;
  std::set<uint32_t> continuations;
  std::vector<uint32_t> candidates;
  for (uint32_t n = 1; n < pages; ++n) {
    const uint8_t* p = Page(n);
    if (p[0] != 0x02 || p[1] != 0x01) continue;
    if (version_ == JetVersion::kJet3 && (p[2] != 'V' || p[3] != 'C')) continue;
    candidates.push_back(n);
    uint32_t next = Le(p + 4, 4);
    if (next != 0) continuations.insert(next);
  }
  for (uint32_t n : candidates) {
    if (continuations.count(n) != 0) continue;
    CorpusTable table;
    if (ParseTable(n, &table)) tables_.push_back(std::move(table));
  }
  if (tables_.empty()) {
    *why = "no readable table definitions (encrypted?)";
    return false;
  }
  return true;
}

const uint8_t* CorpusFile::Page(uint32_t n) const {
  if ((static_cast<size_t>(n) + 1) * page_size_ > bytes_.size()) return nullptr;
  return bytes_.data() + static_cast<size_t>(n) * page_size_;
}

bool CorpusFile::ParseTable(uint32_t first_page, CorpusTable* table) const {
  // Concatenate the chain: the first page whole, later pages without their
  // 8-byte header.
  std::vector<uint8_t> def;
  std::set<uint32_t> seen;
  for (uint32_t n = first_page; n != 0 && seen.insert(n).second;) {
    const uint8_t* p = Page(n);
    if (p == nullptr || p[0] != 0x02) return false;
    def.insert(def.end(), p + (def.empty() ? 0 : 8), p + page_size_);
    n = Le(p + 4, 4);
  }
  const bool j4 = version_ == JetVersion::kJet4;
  const size_t header = j4 ? 63 : 43;
  if (def.size() < header) return false;
  const uint32_t num_cols = Le(&def[j4 ? 45 : 25], 2);
  const uint32_t num_real_idx = Le(&def[j4 ? 51 : 31], 4);
  if (num_cols == 0 || num_cols > 255 || num_real_idx > 64) return false;
  size_t pos = header + num_real_idx * (j4 ? 12 : 8);
  const size_t col_size = j4 ? 25 : 18;
  table->definition_page = first_page;
  for (uint32_t i = 0; i < num_cols; ++i, pos += col_size) {
    if (pos + col_size > def.size()) return false;
    const uint8_t* c = &def[pos];
    CorpusColumn col;
    col.type = static_cast<ColumnType>(c[0]);
    col.number = static_cast<uint16_t>(Le(c + (j4 ? 5 : 1), 2));
    col.var_index = static_cast<uint16_t>(Le(c + (j4 ? 7 : 3), 2));
    const uint8_t flags = c[j4 ? 15 : 13];
    col.fixed = (flags & 0x01) != 0;
    col.fixed_offset = static_cast<uint16_t>(Le(c + (j4 ? 21 : 14), 2));
    col.length = static_cast<uint16_t>(Le(c + (j4 ? 23 : 16), 2));
    col.scale = c[12];
    if (j4) {
      col.sort_order.id = static_cast<uint16_t>(Le(c + 11, 2));
      col.sort_order.version = c[14];
    } else {
      col.sort_order.id = static_cast<uint16_t>(Le(c + 9, 2));
      col.sort_order.code_page = static_cast<uint16_t>(Le(c + 11, 2));
    }
    table->columns.push_back(col);
  }
  for (auto& col : table->columns) {
    if (j4) {
      if (pos + 2 > def.size()) return false;
      size_t len = Le(&def[pos], 2);
      if (pos + 2 + len > def.size()) return false;
      std::u16string name;
      for (size_t k = 0; k + 1 < len; k += 2)
        name.push_back(static_cast<char16_t>(Le(&def[pos + 2 + k], 2)));
      col.name = Utf16ToUtf8(name);
      pos += 2 + len;
    } else {
      if (pos + 1 > def.size()) return false;
      size_t len = def[pos];
      if (pos + 1 + len > def.size()) return false;
      col.name = DecodeCp1252(&def[pos + 1], len);
      pos += 1 + len;
    }
  }
  const size_t idx_size = j4 ? 52 : 39;
  for (uint32_t i = 0; i < num_real_idx; ++i, pos += idx_size) {
    if (pos + idx_size > def.size()) return false;
    const uint8_t* b = &def[pos + (j4 ? 4 : 0)];
    CorpusIndex index;
    for (int k = 0; k < 10; ++k) {
      uint16_t number = static_cast<uint16_t>(Le(b + 3 * k, 2));
      if (number == 0xFFFF) continue;
      size_t found = table->columns.size();
      for (size_t c = 0; c < table->columns.size(); ++c) {
        if (table->columns[c].number == number) found = c;
      }
      if (found == table->columns.size()) return false;
      index.columns.emplace_back(found, (b[3 * k + 2] & 0x01) != 0);
    }
    index.root_page = Le(b + 34, 4);
    if (!index.columns.empty()) table->indexes.push_back(index);
  }
  return true;
}

bool CorpusFile::ReadLeafEntries(const CorpusIndex& index, std::vector<LeafEntry>* out,
                                 std::string* why) const {
  const bool j4 = version_ == JetVersion::kJet4;
  const size_t mask_off = j4 ? 27 : 22;
  const size_t mask_size = j4 ? 453 : 226;
  const size_t prefix_off = j4 ? 24 : 20;
  const size_t next_off = j4 ? 16 : 12;

  // Splits one index page into its full entries.
  auto entries_of = [&](const uint8_t* p, std::vector<Bytes>* entries) {
    const size_t start = mask_off + mask_size;
    // Jet 3 keeps the shared-prefix length in one byte; the next one is
    // sometimes set on intermediate pages and is not part of it.
    const size_t prefix_len = Le(p + prefix_off, j4 ? 2 : 1);
    size_t begin = start;
    for (size_t bit = 0; bit < mask_size * 8; ++bit) {
      if ((p[mask_off + bit / 8] & (1u << (bit % 8))) == 0) continue;
      const size_t end = start + bit;
      if (end > page_size_ || end <= begin) return false;
      Bytes e;
      if (!entries->empty()) {
        if (prefix_len > entries->front().size()) return false;
        e.assign(entries->front().begin(), entries->front().begin() + prefix_len);
      }
      e.insert(e.end(), p + begin, p + end);
      entries->push_back(std::move(e));
      begin = end;
    }
    return true;
  };

  // Down the left edge to the first leaf, then along the leaves.
  uint32_t n = index.root_page;
  std::set<uint32_t> seen;
  while (true) {
    const uint8_t* p = Page(n);
    if (p == nullptr || !seen.insert(n).second) {
      *why = "bad index page " + std::to_string(n);
      return false;
    }
    if (p[0] == 0x04) break;
    std::vector<Bytes> entries;
    if (p[0] != 0x03 || !entries_of(p, &entries) || entries.empty() || entries[0].size() < 4) {
      *why = "bad intermediate index page " + std::to_string(n);
      return false;
    }
    n = Be(entries[0].data() + entries[0].size() - 4, 4);
  }
  while (n != 0) {
    const uint8_t* p = Page(n);
    std::vector<Bytes> entries;
    if (p == nullptr || p[0] != 0x04 || !entries_of(p, &entries)) {
      *why = "bad leaf page " + std::to_string(n);
      return false;
    }
    for (auto& e : entries) {
      if (e.size() < 5) {
        *why = "short leaf entry on page " + std::to_string(n);
        return false;
      }
      LeafEntry le;
      le.page = Be(e.data() + e.size() - 4, 3);
      le.row = e.back();
      le.key.assign(e.begin(), e.end() - 4);
      out->push_back(std::move(le));
    }
    n = Le(p + next_off, 4);
    if (n != 0 && !seen.insert(n).second) {
      *why = "leaf chain loops";
      return false;
    }
  }
  return true;
}

bool CorpusFile::RowBounds(uint32_t page, uint8_t row, size_t* start, size_t* end,
                           int depth) const {
  const uint8_t* p = Page(page);
  if (p == nullptr || p[0] != 0x01 || depth > 3) return false;
  const bool j4 = version_ == JetVersion::kJet4;
  const size_t count_off = j4 ? 12 : 8;
  const uint32_t rows = Le(p + count_off, 2);
  if (row >= rows) return false;
  const uint32_t raw = Le(p + count_off + 2 + 2 * row, 2);
  // A slot marked deleted is dead unless we came through a forwarding
  // pointer: moved rows are marked so that scans do not list them twice.
  if ((raw & 0x8000) && depth == 0) return false;
  const size_t s = raw & 0x1FFF;
  const size_t e = row == 0 ? page_size_ : (Le(p + count_off + 2 * row, 2) & 0x1FFF);
  if (s >= e || e > page_size_) return false;
  if (raw & 0x4000) {
    // The row moved: its slot holds (row, page) of where it lives now.
    if (e - s < 4) return false;
    return RowBounds(Le(p + s + 1, 3), p[s], start, end, depth + 1);
  }
  *start = static_cast<size_t>(page) * page_size_ + s;
  *end = static_cast<size_t>(page) * page_size_ + e;
  return true;
}

bool CorpusFile::ReadValues(const CorpusTable& table, uint32_t page, uint8_t row,
                            const std::vector<size_t>& columns, std::vector<Value>* out,
                            std::string* why) const {
  size_t s, e;
  if (!RowBounds(page, row, &s, &e, 0)) {
    *why = "no live row at page " + std::to_string(page) + " row " + std::to_string(row);
    return false;
  }
  const bool j4 = version_ == JetVersion::kJet4;
  const uint8_t* r = bytes_.data() + s;
  const size_t len = e - s;
  const size_t count_size = j4 ? 2 : 1;
  if (len < count_size) return false;
  const uint32_t row_cols = Le(r, static_cast<int>(count_size));
  const size_t mask_len = (row_cols + 7) / 8;
  if (len < count_size + mask_len + count_size) {
    *why = "short row";
    return false;
  }
  if (!j4 && len > 256) {
    *why = "Jet 3 row with a jump table";
    return false;
  }
  const uint8_t* mask = r + len - mask_len;
  const size_t var_count_pos = len - mask_len - count_size;
  const uint32_t var_count = Le(r + var_count_pos, static_cast<int>(count_size));
  auto var_offset = [&](size_t j) -> size_t {  // j == var_count gives the end of data
    const size_t at = var_count_pos - count_size * (j + 1);
    return Le(r + at, static_cast<int>(count_size));
  };
  if (var_count_pos < count_size * (var_count + 1)) {
    *why = "bad variable table";
    return false;
  }
  out->clear();
  for (size_t ci : columns) {
    const CorpusColumn& col = table.columns[ci];
    const bool present = col.number < row_cols && (mask[col.number / 8] >> (col.number % 8)) & 1;
    if (col.type == ColumnType::kBoolean) {
      out->push_back(present);
      continue;
    }
    if (!present) {
      out->push_back(std::monostate{});
      continue;
    }
    const uint8_t* v;
    size_t n;
    if (col.fixed) {
      const size_t at = count_size + col.fixed_offset;
      if (at + col.length > len) {
        *why = "fixed column outside row";
        return false;
      }
      v = r + at;
      n = col.length;
    } else {
      if (col.var_index >= var_count) {
        out->push_back(std::monostate{});
        continue;
      }
      const size_t a = var_offset(col.var_index), b = var_offset(col.var_index + 1u);
      if (a > b || b > len) {
        *why = "variable column outside row";
        return false;
      }
      v = r + a;
      n = b - a;
    }
    switch (col.type) {
      case ColumnType::kByte:
        out->push_back(v[0]);
        break;
      case ColumnType::kInteger:
        out->push_back(static_cast<int16_t>(Le(v, 2)));
        break;
      case ColumnType::kLong:
        out->push_back(static_cast<int32_t>(Le(v, 4)));
        break;
      case ColumnType::kCurrency: {
        int64_t x;
        std::memcpy(&x, v, 8);
        out->push_back(Currency{x});
        break;
      }
      case ColumnType::kSingle: {
        float x;
        std::memcpy(&x, v, 4);
        out->push_back(x);
        break;
      }
      case ColumnType::kDouble: {
        double x;
        std::memcpy(&x, v, 8);
        out->push_back(x);
        break;
      }
      case ColumnType::kDateTime: {
        double x;
        std::memcpy(&x, v, 8);
        out->push_back(DateTime{x});
        break;
      }
      case ColumnType::kGuid: {
        Guid g;
        std::memcpy(g.bytes.data(), v, 16);
        out->push_back(g);
        break;
      }
      case ColumnType::kNumeric: {
        // Sign byte, then four 32-bit words, most significant first.
        Decimal d;
        d.negative = (v[0] & 0x80) != 0;
        d.scale = col.scale;
        if (Le(v + 1, 4) != 0) {
          *why = "numeric wider than 96 bits";
          return false;
        }
        d.magnitude = {Le(v + 13, 4), Le(v + 9, 4), Le(v + 5, 4)};
        out->push_back(d);
        break;
      }
      case ColumnType::kBinary:
        out->push_back(Bytes(v, v + n));
        break;
      case ColumnType::kText:
        out->push_back(j4 ? DecodeJet4Text(v, n) : DecodeCp1252(v, n));
        break;
      default:
        *why = "column type " + std::to_string(static_cast<int>(col.type)) + " not read here";
        return false;
    }
  }
  return true;
}

}  // namespace jet::keys::testing
