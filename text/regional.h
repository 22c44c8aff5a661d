// The regional conventions that number, date and time texts follow. The
// program reads them from the user's locale once, at start (data/regional.h);
// tests fix their own.
#pragma once

#include <string>

namespace text {

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

}  // namespace text
