// The set of column properties that have been explicitly assigned. A property
// not in the set is inherited: reading it returns its source's value at
// that moment (the bound field, the grid or the grid's column defaults).
#pragma once

#include <cstdint>

namespace grid {

enum class TColumnValue : std::uint8_t {
  cvColor,
  cvWidth,
  cvFont,
  cvAlignment,
  cvReadOnly,
  cvWordWrap,
  cvCheckboxes,
  cvEndEllipsis,
  cvToolTips,
  cvAlwaysShowEditButton,
  cvTitleColor,
  cvTitleCaption,
  cvTitleAlignment,
  cvTitleFont,
  cvTitleEndEllipsis,
  cvTitleToolTips,
  cvTitleButton,
  cvTitleOrientation,
};

class TColumnValues {
 public:
  bool Has(TColumnValue v) const { return (bits_ & Bit(v)) != 0; }
  void Include(TColumnValue v) { bits_ |= Bit(v); }
  void Exclude(TColumnValue v) { bits_ &= ~Bit(v); }
  bool Empty() const { return bits_ == 0; }
  bool operator==(const TColumnValues&) const = default;

 private:
  static std::uint32_t Bit(TColumnValue v) { return 1u << static_cast<unsigned>(v); }
  std::uint32_t bits_ = 0;
};

// The title's flags within the column's set.
inline bool IsTitleValue(TColumnValue v) { return v >= TColumnValue::cvTitleColor; }

}  // namespace grid
