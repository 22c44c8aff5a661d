#include "grid/columns/column_title.h"

#include "grid/columns/column_defaults.h"
#include "grid/columns/column_host.h"
#include "grid/columns/grid_column.h"

namespace grid {

TColumnTitle::TColumnTitle(TGridColumn& column) : column_(column) {
  font_.SetOnChange([this] { FontChanged(); });
}

const TColumnTitleDefValues* TColumnTitle::Defaults() const {
  ColumnHost* grid = column_.Host();
  return grid ? &grid->ColumnDefValues().Title() : nullptr;
}

std::string TColumnTitle::Caption() const {
  if (column_.IsExplicit(TColumnValue::cvTitleCaption)) return caption_;
  if (TField* field = column_.BoundField()) return field->DisplayName();
  return column_.FieldName();
}

void TColumnTitle::SetCaption(const std::string& value) {
  if (column_.IsFieldDriven()) {
    // A generated column keeps following its field: the caption goes to the
    // field's label, and without a live field there is nowhere to put it.
    if (column_.LiveGeneratedColumn()) {
      column_.BoundField()->SetDisplayLabel(value);
      column_.Changed();
    }
    return;
  }
  if (column_.IsExplicit(TColumnValue::cvTitleCaption) && caption_ == value) return;
  caption_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleCaption);
  column_.Changed();
}

TAlignment TColumnTitle::Alignment() const {
  if (column_.IsExplicit(TColumnValue::cvTitleAlignment)) return alignment_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults ? defaults->Alignment() : TAlignment::taLeftJustify;
}

void TColumnTitle::SetAlignment(TAlignment value) {
  if (column_.IsExplicit(TColumnValue::cvTitleAlignment) && alignment_ == value) return;
  alignment_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleAlignment);
  column_.Changed();
}

TColor TColumnTitle::Color() const {
  if (column_.IsExplicit(TColumnValue::cvTitleColor)) return color_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults ? defaults->Color() : clBtnFace;
}

void TColumnTitle::SetColor(TColor value) {
  if (column_.IsExplicit(TColumnValue::cvTitleColor) && color_ == value) return;
  color_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleColor);
  column_.Changed();
}

FontSpec TColumnTitle::DefaultFont() const {
  ColumnHost* grid = column_.Host();
  return grid ? grid->TitleFont().Spec() : column_.Font().Spec();
}

TFont& TColumnTitle::Font() {
  if (!column_.IsExplicit(TColumnValue::cvTitleFont)) {
    FontSpec source = DefaultFont();
    if (!(font_.Spec() == source)) font_.AssignSilently(source);
  }
  return font_;
}

void TColumnTitle::RefreshDefaultFont() {
  if (column_.IsExplicit(TColumnValue::cvTitleFont)) return;
  font_.AssignSilently(DefaultFont());
}

void TColumnTitle::FontChanged() {
  column_.explicit_.Include(TColumnValue::cvTitleFont);
  column_.Changed(/*whole_set=*/true);
}

bool TColumnTitle::EndEllipsis() const {
  if (column_.IsExplicit(TColumnValue::cvTitleEndEllipsis)) return end_ellipsis_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults && defaults->EndEllipsis();
}

void TColumnTitle::SetEndEllipsis(bool value) {
  end_ellipsis_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleEndEllipsis);
  column_.Changed();
}

bool TColumnTitle::ToolTips() const {
  if (column_.IsExplicit(TColumnValue::cvTitleToolTips)) return tool_tips_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults && defaults->ToolTips();
}

void TColumnTitle::SetToolTips(bool value) {
  tool_tips_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleToolTips);
  column_.Changed();
}

bool TColumnTitle::TitleButton() const {
  if (column_.IsExplicit(TColumnValue::cvTitleButton)) return title_button_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults && defaults->TitleButton();
}

void TColumnTitle::SetTitleButton(bool value) {
  title_button_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleButton);
  column_.Changed();
}

TTextOrientation TColumnTitle::Orientation() const {
  if (column_.IsExplicit(TColumnValue::cvTitleOrientation)) return orientation_;
  const TColumnTitleDefValues* defaults = Defaults();
  return defaults ? defaults->Orientation() : TTextOrientation::tohHorizontal;
}

void TColumnTitle::SetOrientation(TTextOrientation value) {
  orientation_ = value;
  column_.explicit_.Include(TColumnValue::cvTitleOrientation);
  column_.Changed();
}

void TColumnTitle::RestoreDefaults() {
  for (auto v :
       {TColumnValue::cvTitleColor, TColumnValue::cvTitleCaption, TColumnValue::cvTitleAlignment,
        TColumnValue::cvTitleFont, TColumnValue::cvTitleEndEllipsis, TColumnValue::cvTitleToolTips,
        TColumnValue::cvTitleButton, TColumnValue::cvTitleOrientation}) {
    column_.explicit_.Exclude(v);
  }
  caption_.clear();
  RefreshDefaultFont();
}

}  // namespace grid
