#include "grid/columns/column_defaults.h"

#include "grid/columns/column_host.h"
#include "grid/columns/columns.h"

namespace grid {

TAlignment TColumnTitleDefValues::Alignment() const {
  if (explicit_.Has(TTitleDefValue::tdvAlignment)) return alignment_;
  if (host_ && host_->UseMultiTitle()) return TAlignment::taCenter;
  return TAlignment::taLeftJustify;
}

void TColumnTitleDefValues::SetAlignment(TAlignment value) {
  if (explicit_.Has(TTitleDefValue::tdvAlignment) && alignment_ == value) return;
  alignment_ = value;
  explicit_.Include(TTitleDefValue::tdvAlignment);
  Changed();
}

TColor TColumnTitleDefValues::Color() const {
  if (explicit_.Has(TTitleDefValue::tdvColor)) return color_;
  return host_ ? host_->FixedColor() : clBtnFace;
}

void TColumnTitleDefValues::SetColor(TColor value) {
  if (explicit_.Has(TTitleDefValue::tdvColor) && color_ == value) return;
  color_ = value;
  explicit_.Include(TTitleDefValue::tdvColor);
  Changed();
}

void TColumnTitleDefValues::SetEndEllipsis(bool value) {
  if (end_ellipsis_ == value) return;
  end_ellipsis_ = value;
  Changed();
}

void TColumnTitleDefValues::SetToolTips(bool value) {
  if (tool_tips_ == value) return;
  tool_tips_ = value;
  Changed();
}

void TColumnTitleDefValues::SetTitleButton(bool value) {
  if (title_button_ == value) return;
  title_button_ = value;
  Changed();
}

void TColumnTitleDefValues::SetOrientation(TTextOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  Changed();
}

// Every column that inherits a default shows it differently now: one
// whole-set change covers them all.
void TColumnTitleDefValues::Changed() {
  if (host_) host_->Columns().Changed(nullptr);
}

void TColumnDefValues::SetAlwaysShowEditButton(bool value) {
  if (always_show_edit_button_ == value) return;
  always_show_edit_button_ = value;
  Changed();
}

void TColumnDefValues::SetEndEllipsis(bool value) {
  if (end_ellipsis_ == value) return;
  end_ellipsis_ = value;
  Changed();
}

void TColumnDefValues::SetToolTips(bool value) {
  if (tool_tips_ == value) return;
  tool_tips_ = value;
  Changed();
}

void TColumnDefValues::Changed() {
  if (host_) host_->Columns().Changed(nullptr);
}

}  // namespace grid
