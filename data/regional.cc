#include "data/regional.h"

#include <langinfo.h>
#include <locale.h>

#include <mutex>

namespace data {
namespace {

RegionalSettings& Defaults() {
  static RegionalSettings settings;
  return settings;
}

// Turns a C-library date pattern ("%Y/%m/%d") into the field pattern
// ("yyyy/mm/dd"); returns "" when it holds something we cannot map.
std::string MapPattern(const char* c_pattern, char* separator) {
  std::string out;
  for (const char* p = c_pattern; *p; ++p) {
    if (*p != '%') {
      out += *p;
      if (separator && (*p == '/' || *p == '-' || *p == '.')) *separator = *p;
      continue;
    }
    ++p;
    switch (*p) {
      case 'Y': out += "yyyy"; break;
      case 'y': out += "yy"; break;
      case 'm': out += "mm"; break;
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'H': out += "hh"; break;
      case 'I': out += "hh"; break;
      case 'M': out += "nn"; break;
      case 'S': out += "ss"; break;
      case 'p': out += "ampm"; break;
      default: return {};
    }
  }
  return out;
}

}  // namespace

RegionalSettings SystemRegionalSettings() {
  RegionalSettings r;
  locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return r;
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  if (radix && radix[0] && !radix[1]) r.decimal_separator = radix[0];
  char sep = r.date_separator;
  std::string date = MapPattern(nl_langinfo_l(D_FMT, loc), &sep);
  if (!date.empty()) {
    r.short_date_format = date;
    r.date_separator = sep;
  }
  std::string time = MapPattern(nl_langinfo_l(T_FMT, loc), nullptr);
  if (!time.empty()) r.long_time_format = time;
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
