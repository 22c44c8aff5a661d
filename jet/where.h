// Where: names the row (and column) a message is about, built into text only
// when a message is actually written, so the hot path of a scan stays free of
// string work.
#pragma once

#include <cstdint>
#include <string>

namespace jet {

class Where {
 public:
  // A fixed description. The text must outlive the Where (a literal, usually).
  Where(const char* text) : text_(text) {}  // NOLINT: implicit by design
  // "<file>: table '<table>': page <page>: row <slot>". Both strings must outlive the Where.
  Where(const std::string& file, const std::string& table, uint32_t page, uint16_t slot)
      : file_(&file), table_(&table), page_(page), slot_(slot) {}

  // The same place narrowed to one column (the name must outlive the Where).
  Where Column(const std::string& name) const {
    Where w = *this;
    w.column_ = &name;
    return w;
  }

  std::string str() const {
    std::string s;
    if (file_ != nullptr) {
      s = *file_ + ": table '" + *table_ + "': page " + std::to_string(page_) + ": row " +
          std::to_string(slot_);
    } else {
      s = text_;
    }
    if (column_ != nullptr) s += ": column '" + *column_ + "'";
    return s;
  }

 private:
  const char* text_ = "";
  const std::string* file_ = nullptr;
  const std::string* table_ = nullptr;
  const std::string* column_ = nullptr;
  uint32_t page_ = 0;
  uint16_t slot_ = 0;
};

}  // namespace jet
