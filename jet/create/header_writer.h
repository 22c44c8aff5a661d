// Page 0 of a new Jet 4 database: signature, version, the RC4-masked block
// (code page, database key, password, sort order, creation date) and the
// constant bytes the engine expects around it.
#pragma once

#include <cstdint>
#include <string>

#include "jet/keys/sort_order.h"
#include "jet/status.h"

namespace jet::create {

// Fills `page` (4096 bytes). InvalidArgument when the password is longer than
// 20 characters.
Status WriteHeaderPage(uint8_t* page, const std::string& password, double creation_date,
                       const keys::SortOrder& order);

// The current time as days since 1899-12-30 (UTC).
double NowAsDays();

}  // namespace jet::create
