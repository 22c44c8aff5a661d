// The user's regional settings, read once when the program starts and
// passed to record sources; tests fix their own.
#pragma once

#include "text/regional.h"

namespace data {

// The settings themselves belong to the text layer, whose number and date
// texts they shape.
using RegionalSettings = text::RegionalSettings;

// The settings of the user's locale (LC_NUMERIC and LC_TIME of the
// environment, mapped to the formats above); the defaults where the
// locale tells nothing.
RegionalSettings SystemRegionalSettings();

// The settings new record sources start with; the program sets them once
// at start-up.
const RegionalSettings& DefaultRegionalSettings();
void SetDefaultRegionalSettings(const RegionalSettings& settings);

}  // namespace data
