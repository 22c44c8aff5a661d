// Whole files as text, and the shared temporary folder, for the profile tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace data::testing {

using tarnquill::testing::TempDir;

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace data::testing
