// Regional settings that shape number, date and time texts. Read once when
// the program starts and passed to record sources; tests fix their own.
#pragma once

#include <string>

namespace data {

struct RegionalSettings {
  char decimal_separator = '.';
  int currency_decimals = 2;
  std::string short_date_format = "yyyy/M/d";
  std::string long_time_format = "H:mm:ss";
  char date_separator = '/';
  char time_separator = ':';
  std::string time_am = "AM";
  std::string time_pm = "PM";
  // The year two-digit years are placed around; 0 takes it from the clock.
  int current_year = 0;

  // The year to use for two-digit years and dates without a year.
  int CurrentYear() const;
};

// The settings of the user's locale (LC_NUMERIC and LC_TIME of the
// environment, mapped to the formats above); the defaults where the
// locale tells nothing.
RegionalSettings SystemRegionalSettings();

// The settings new record sources start with; the program sets them once
// at start-up.
const RegionalSettings& DefaultRegionalSettings();
void SetDefaultRegionalSettings(const RegionalSettings& settings);

}  // namespace data
