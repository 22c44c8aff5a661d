// Where finished pages go: the open transaction of a file being written.
#pragma once

#include <cstdint>

#include "jet/status.h"

namespace jet {

class PageSink {
 public:
  virtual ~PageSink() = default;
  // Stores the on-disk bytes of `page` (`page` may be the next page past the end).
  virtual Status WritePage(uint32_t page, const uint8_t* data) = 0;
};

}  // namespace jet
