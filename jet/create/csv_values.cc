#include "jet/create/csv_values.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace jet::create {

Result<std::vector<CsvRecord>> ParseCsv(std::string_view data) {
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  std::vector<CsvRecord> records;
  CsvRecord record;
  CsvField field;
  size_t line = 1;
  size_t i = 0;
  bool at_field_start = true;
  auto end_field = [&]() {
    record.push_back(std::move(field));
    field = CsvField();
    at_field_start = true;
  };
  while (i < data.size()) {
    char c = data[i];
    if (at_field_start && c == '"') {
      field.quoted = true;
      at_field_start = false;
      size_t start_line = line;
      ++i;
      for (;;) {
        if (i >= data.size()) {
          return Status::InvalidArgument("CSV line " + std::to_string(start_line) +
                                         ": a quoted field is never closed");
        }
        if (data[i] == '"') {
          if (i + 1 < data.size() && data[i + 1] == '"') {
            field.text.push_back('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (data[i] == '\n') ++line;
        field.text.push_back(data[i++]);
      }
      if (i < data.size() && data[i] != ',' && data[i] != '\n' && data[i] != '\r') {
        return Status::InvalidArgument("CSV line " + std::to_string(line) +
                                       ": text after a closing quote");
      }
      continue;
    }
    if (c == ',') {
      end_field();
      ++i;
    } else if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
      ++i;
    } else if (c == '\n') {
      end_field();
      records.push_back(std::move(record));
      record.clear();
      ++line;
      ++i;
    } else {
      at_field_start = false;
      field.text.push_back(c);
      ++i;
    }
  }
  if (!at_field_start || !record.empty() || field.quoted) {
    end_field();
    records.push_back(std::move(record));
  }
  return records;
}

namespace {

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool ParseInt(std::string_view s, int64_t* out) {
  if (s.empty() || s.size() > 20) return false;
  std::string t(s);
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(t.c_str(), &end, 10);
  if (errno != 0 || end != t.c_str() + t.size()) return false;
  *out = v;
  return true;
}

bool ParseDouble(std::string_view s, double* out) {
  if (s.empty() || s.size() > 400) return false;
  std::string t(s);
  char* end = nullptr;
  *out = std::strtod(t.c_str(), &end);
  return end == t.c_str() + t.size();
}

// A plain decimal ("-12.3456") as a magnitude and scale; false otherwise.
bool ParseDecimal(std::string_view s, Decimal* out) {
  Decimal d;
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) d.negative = s[i++] == '-';
  unsigned __int128 mag = 0;
  bool digits = false, point = false;
  const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 96;
  for (; i < s.size(); ++i) {
    if (s[i] == '.' && !point) {
      point = true;
      continue;
    }
    if (s[i] < '0' || s[i] > '9') return false;
    mag = mag * 10 + static_cast<unsigned>(s[i] - '0');
    if (mag >= limit || d.scale > 28) return false;
    digits = true;
    if (point) ++d.scale;
  }
  if (!digits) return false;
  d.magnitude = {static_cast<uint32_t>(mag), static_cast<uint32_t>(mag >> 32),
                 static_cast<uint32_t>(mag >> 64)};
  *out = d;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view s, Bytes* out) {
  if (s.size() % 2 != 0) return false;
  out->clear();
  for (size_t i = 0; i < s.size(); i += 2) {
    int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return true;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into the file's byte order (first
// three groups little-endian).
bool ParseGuid(std::string_view s, Guid* out) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  std::string hex;
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (s[i] != '-') return false;
      continue;
    }
    hex.push_back(s[i]);
  }
  Bytes b;
  if (!ParseHex(hex, &b) || b.size() != 16) return false;
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (size_t i = 0; i < 16; ++i) out->bytes[i] = b[static_cast<size_t>(order[i])];
  return true;
}

}  // namespace

std::optional<double> ParseDateTime(std::string_view s) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
  int n = 0;
  std::string t(s);
  int got = std::sscanf(t.c_str(), "%d-%d-%d%n", &y, &mo, &d, &n);
  if (got != 3) return std::nullopt;
  std::string rest = t.substr(static_cast<size_t>(n));
  if (!rest.empty()) {
    int m = 0;
    if (std::sscanf(rest.c_str(), " %d:%d:%d%n", &h, &mi, &se, &m) == 3 &&
        static_cast<size_t>(m) == rest.size()) {
    } else if (std::sscanf(rest.c_str(), " %d:%d%n", &h, &mi, &m) == 2 &&
               static_cast<size_t>(m) == rest.size()) {
      se = 0;
    } else {
      return std::nullopt;
    }
  }
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 ||
      se > 59) {
    return std::nullopt;
  }
  int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) -
                 DaysFromCivil(1899, 12, 30);
  double fraction = (h * 3600 + mi * 60 + se) / 86400.0;
  // Before the epoch the fraction still counts forward in the day.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

Result<Value> ParseFieldValue(const ColumnDef& c, const CsvField& field) {
  if (!field.quoted && field.text.empty()) return Value();
  const std::string& s = field.text;
  auto bad = [&]() {
    return Status::InvalidArgument("column '" + c.name + "' (" + ColumnTypeName(c.type) +
                                   "): cannot read '" + s + "'");
  };
  int64_t i = 0;
  double d = 0;
  switch (c.type) {
    case ColumnType::kText:
    case ColumnType::kMemo:
      return Value(s);
    case ColumnType::kBoolean: {
      if (s == "1" || s == "-1" || s == "true" || s == "True" || s == "TRUE") return Value(true);
      if (s == "0" || s == "false" || s == "False" || s == "FALSE") return Value(false);
      return bad();
    }
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
      if (!ParseInt(s, &i) || i < INT32_MIN || i > INT32_MAX) return bad();
      return Value(static_cast<int32_t>(i));  // range per column is checked on insert
    case ColumnType::kBigInt:
      if (!ParseInt(s, &i)) return bad();
      return Value(i);
    case ColumnType::kComplex:
    case ColumnType::kExtendedDateTime:
      return bad();
    case ColumnType::kSingle:
    case ColumnType::kDouble:
      if (!ParseDouble(s, &d)) return bad();
      return c.type == ColumnType::kSingle ? Value(static_cast<float>(d)) : Value(d);
    case ColumnType::kCurrency: {
      Decimal dec;
      if (!ParseDecimal(s, &dec) || dec.scale > 4 || dec.magnitude[2] != 0) return bad();
      unsigned __int128 mag =
          (static_cast<unsigned __int128>(dec.magnitude[1]) << 32) | dec.magnitude[0];
      for (int k = dec.scale; k < 4; ++k) mag *= 10;
      const unsigned __int128 max = static_cast<unsigned __int128>(INT64_MAX);
      if (mag > max + (dec.negative ? 1 : 0)) return bad();
      int64_t v = dec.negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(mag))
                               : static_cast<int64_t>(mag);
      return Value(Currency{v});
    }
    case ColumnType::kNumeric: {
      Decimal dec;
      if (!ParseDecimal(s, &dec)) return bad();
      return Value(dec);
    }
    case ColumnType::kDateTime: {
      auto days = ParseDateTime(s);
      if (!days) {
        if (!ParseDouble(s, &d)) return bad();  // far dates are exported as plain numbers
        days = d;
      }
      return Value(DateTime{*days});
    }
    case ColumnType::kGuid: {
      Guid g;
      if (!ParseGuid(s, &g)) return bad();
      return Value(g);
    }
    case ColumnType::kBinary:
    case ColumnType::kOle: {
      Bytes b;
      if (!ParseHex(s, &b)) return bad();
      return Value(std::move(b));
    }
  }
  return bad();
}

}  // namespace jet::create
