// "Inherited unless assigned", said one way for the whole column model: a
// set of the properties an object has had assigned. A property not in the
// set is inherited: reading it returns its source's value at that moment
// (the bound field, the grid or the grid's column defaults). A column keeps
// one set for itself and its title, a footer one for itself, and the grid's
// title defaults one for their alignment and colour.
#pragma once

#include <cstdint>

namespace grid {

template <typename Value>
class ExplicitSet {
 public:
  bool Has(Value v) const { return (bits_ & Bit(v)) != 0; }
  void Include(Value v) { bits_ |= Bit(v); }
  void Exclude(Value v) { bits_ &= ~Bit(v); }
  bool Empty() const { return bits_ == 0; }
  void Clear() { bits_ = 0; }
  bool operator==(const ExplicitSet&) const = default;

 private:
  static std::uint32_t Bit(Value v) { return 1u << static_cast<unsigned>(v); }
  std::uint32_t bits_ = 0;
};

// A column's properties, its title's after cvTitleColor.
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
using TColumnValues = ExplicitSet<TColumnValue>;

// A footer's inherited properties.
enum class TFooterValue : std::uint8_t { fvAlignment, fvColor, fvFont };

// The grid's title defaults that follow the grid until assigned.
enum class TTitleDefValue : std::uint8_t { tdvAlignment, tdvColor };

}  // namespace grid
