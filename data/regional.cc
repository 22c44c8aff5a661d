#include "data/regional.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>

namespace data {
namespace {

RegionalSettings& Defaults() {
  static RegionalSettings settings;
  return settings;
}

// Turns a C-library pattern ("%Y/%m/%d", "%H:%M:%S") into the field
// pattern ("yyyy/mm/dd", "hh:nn:ss"). Returns "" unless it is numbers
// joined by one separator (a date must show all four digits of the year),
// so that every text written in it reads back as the same value.
std::string MapPattern(const char* c_pattern, bool date, char* separator) {
  std::string out;
  char sep = 0;
  bool four_digit_year = false;
  for (const char* p = c_pattern; *p; ++p) {
    if (*p != '%') {
      if (std::isalnum(static_cast<unsigned char>(*p)) || (sep && *p != sep)) return {};
      sep = *p;
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'Y':
        out += "yyyy", four_digit_year = true;
        break;
      case 'm':
        out += "mm";
        break;
      case 'd':
        out += "dd";
        break;
      case 'e':
        out += "d";
        break;
      case 'H':
        out += "hh";
        break;
      case 'M':
        out += "nn";
        break;
      case 'S':
        out += "ss";
        break;
      default:
        return {};
    }
  }
  if (date && (!four_digit_year || sep == 0)) return {};
  if (separator && sep) *separator = sep;
  return out;
}

}  // namespace

RegionalSettings SystemRegionalSettings() {
  RegionalSettings r;
  locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return r;
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  if (radix && radix[0] && !radix[1]) r.decimal_separator = radix[0];
  char date_sep = r.date_separator;
  std::string date = MapPattern(nl_langinfo_l(D_FMT, loc), true, &date_sep);
  if (!date.empty()) {
    r.short_date_format = date;
    r.date_separator = date_sep;
  }
  char time_sep = r.time_separator;
  std::string time = MapPattern(nl_langinfo_l(T_FMT, loc), false, &time_sep);
  if (!time.empty()) {
    r.long_time_format = time;
    r.time_separator = time_sep;
  }
  const char* am = nl_langinfo_l(AM_STR, loc);
  const char* pm = nl_langinfo_l(PM_STR, loc);
  if (am && *am) r.time_am = am;
  if (pm && *pm) r.time_pm = pm;
  freelocale(loc);
  return r;
}

const RegionalSettings& DefaultRegionalSettings() { return Defaults(); }

void SetDefaultRegionalSettings(const RegionalSettings& settings) { Defaults() = settings; }

}  // namespace data
