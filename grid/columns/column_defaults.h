// Grid-wide column defaults: the values a column or title shows for its
// drawing options while it has not set them itself.
#pragma once

#include "grid/base/color.h"
#include "grid/base/data_access.h"
#include "grid/columns/column_values.h"

namespace grid {

class ColumnHost;

enum class TTextOrientation { tohHorizontal, tohVertical };

// Defaults for titles. Alignment and Color follow the grid until assigned.
class TColumnTitleDefValues {
 public:
  explicit TColumnTitleDefValues(ColumnHost* host) : host_(host) {}

  // Assigned value, else taCenter when the grid shows multi-line titles,
  // else taLeftJustify.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  // Assigned value, else the grid's FixedColor (clBtnFace without a grid).
  TColor Color() const;
  void SetColor(TColor value);

  bool EndEllipsis() const { return end_ellipsis_; }
  void SetEndEllipsis(bool value);
  bool ToolTips() const { return tool_tips_; }
  void SetToolTips(bool value);
  bool TitleButton() const { return title_button_; }
  void SetTitleButton(bool value);
  TTextOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTextOrientation value);
  bool IsExplicit(TTitleDefValue v) const { return explicit_.Has(v); }

 private:
  void Changed();

  ColumnHost* host_;
  ExplicitSet<TTitleDefValue> explicit_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TColor color_ = clBtnFace;
  bool end_ellipsis_ = false;
  bool tool_tips_ = false;
  bool title_button_ = false;
  TTextOrientation orientation_ = TTextOrientation::tohHorizontal;
};

// Defaults for the columns' own drawing options, and the title defaults.
class TColumnDefValues {
 public:
  explicit TColumnDefValues(ColumnHost* host) : host_(host), title_(host) {}
  virtual ~TColumnDefValues() = default;

  TColumnTitleDefValues& Title() { return title_; }
  const TColumnTitleDefValues& Title() const { return title_; }

  bool AlwaysShowEditButton() const { return always_show_edit_button_; }
  void SetAlwaysShowEditButton(bool value);
  bool EndEllipsis() const { return end_ellipsis_; }
  void SetEndEllipsis(bool value);
  bool ToolTips() const { return tool_tips_; }
  void SetToolTips(bool value);

 private:
  void Changed();

  ColumnHost* host_;
  TColumnTitleDefValues title_;
  bool always_show_edit_button_ = false;
  bool end_ellipsis_ = false;
  bool tool_tips_ = false;
};

class TDataGridColumnDefValues : public TColumnDefValues {
 public:
  using TColumnDefValues::TColumnDefValues;
};

}  // namespace grid
