// Fixture databases for update tests, built by our own engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/status.h"
#include "jet/value.h"
#include "tests/support/temp_dir.h"

namespace jet::testing {

// Table "People": ID (long, primary key), Name (text 40, unique index),
// City (text 30, index), Notes (memo), Score (double), Active (yes/no).
// Row i: ID i+1, Name "name-<i>", City one of a few cities (Chinese and
// English), Notes a memo (every third row NULL), Score i/2, Active i odd.
Result<std::vector<uint8_t>> PeopleDatabase(int rows, const std::string& password = "");

constexpr size_t kId = 0, kName = 1, kCity = 2, kNotes = 3, kScore = 4, kActive = 5;

using tarnquill::testing::ReadFileBytes;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

}  // namespace jet::testing
