#include "grid/columns/grid_column.h"

#include "grid/columns/column_defaults.h"
#include "grid/columns/column_host.h"
#include "grid/columns/columns.h"

namespace grid {

TGridColumn::TGridColumn(TDataGridColumns& collection)
    : collection_(collection),
      footer_(std::make_unique<TColumnFooter>(*this, /*in_collection=*/false)),
      footers_(std::make_unique<TColumnFooters>(*this)),
      title_(std::make_unique<TColumnTitle>(*this)) {
  font_.AssignSilently(DefaultFont());
  font_.SetOnChange([this] { FontChanged(); });
  title_->RefreshDefaultFont();
}

TGridColumn::~TGridColumn() {
  // Footers go first: they remove their summaries and may ask the grid to
  // repaint, which reads the title and this column's font.
  footers_.reset();
  footer_.reset();
}

ColumnHost* TGridColumn::Host() const { return collection_.Host(); }

int TGridColumn::Index() const { return collection_.IndexOf(this); }

std::string TGridColumn::DisplayName() const {
  return field_name_.empty() ? "TDataGridColumn" : field_name_;
}

// --- Binding -----------------------------------------------------------------

TField* TGridColumn::BoundField() {
  if (field_ == nullptr && !field_name_.empty() && !resolving_) {
    ColumnHost* grid = Host();
    TDataSet* source = grid ? grid->RecordSource() : nullptr;
    if (source && (source->Active() || !source->DefaultFields())) {
      TField* found = source->FindField(field_name_);
      if (found != field_) {
        resolving_ = true;
        field_ = found;
        field_name_ = found->FieldName();
        grid->WatchField(found);
        try {
          SyncFooterSummaries();
        } catch (...) {
          resolving_ = false;
          throw;
        }
        resolving_ = false;
      }
    }
  }
  return field_;
}

void TGridColumn::BindField(TField* field) {
  if (field == field_) return;
  field_ = field;
  if (field) {
    field_name_ = field->FieldName();
    if (ColumnHost* grid = Host()) grid->WatchField(field);
  }
  if (IsFieldDriven()) {
    if (!field) field_name_.clear();
    RestoreColumnDefaults();
  }
  SyncFooterSummaries();
  Changed();
}

void TGridColumn::SetFieldName(const std::string& name) {
  TField* found = nullptr;
  ColumnHost* grid = Host();
  if (grid && !grid->Loading() && !name.empty()) {
    if (TDataSet* source = grid->RecordSource()) found = source->FindField(name);
  }
  field_name_ = name;
  BindField(found);
  Changed();
}

int TGridColumn::FieldBasedWidth() {
  ColumnHost* grid = Host();
  if (!grid) return 64;
  TField* field = BoundField();
  if (!field) return grid->DefaultColWidth();
  Canvas& canvas = grid->MeasureCanvas();
  canvas.SetFont(Font().Spec());
  TextMetrics tm = canvas.Metrics();
  int zero = canvas.TextWidth("0");
  return (zero - tm.overhang) * field->DisplayWidth() + tm.overhang + 4;
}

bool TGridColumn::LiveGeneratedColumn() {
  if (is_persistent_) return false;
  ColumnHost* grid = Host();
  return grid && grid->LinkActive() && BoundField() != nullptr;
}

// --- Presentation -------------------------------------------------------------

TAlignment TGridColumn::DefaultAlignment() {
  TField* field = BoundField();
  return field ? field->Alignment() : TAlignment::taLeftJustify;
}

TAlignment TGridColumn::Alignment() {
  return IsExplicit(TColumnValue::cvAlignment) ? alignment_ : DefaultAlignment();
}

void TGridColumn::SetAlignment(TAlignment value) {
  if (IsFieldDriven()) {
    // A generated column keeps following its field: the value goes there.
    if (LiveGeneratedColumn()) {
      BoundField()->SetAlignment(value);
      Changed();
    }
    return;
  }
  if (IsExplicit(TColumnValue::cvAlignment) && alignment_ == value) return;
  alignment_ = value;
  explicit_.Include(TColumnValue::cvAlignment);
  Changed();
}

TColor TGridColumn::Color() const {
  if (IsExplicit(TColumnValue::cvColor)) return color_;
  ColumnHost* grid = Host();
  return grid ? grid->Color() : clWindow;
}

void TGridColumn::SetColor(TColor value) {
  if (IsExplicit(TColumnValue::cvColor) && color_ == value) return;
  color_ = value;
  explicit_.Include(TColumnValue::cvColor);
  Changed();
}

FontSpec TGridColumn::DefaultFont() const {
  ColumnHost* grid = Host();
  return grid ? grid->Font().Spec() : font_.Spec();
}

TFont& TGridColumn::Font() {
  if (!IsExplicit(TColumnValue::cvFont)) {
    FontSpec source = DefaultFont();
    if (!font_.Spec().SameIdentity(source)) font_.AssignSilently(source);
  }
  return font_;
}

void TGridColumn::RefreshDefaultFont() {
  if (IsExplicit(TColumnValue::cvFont)) return;
  font_.AssignSilently(DefaultFont());
}

void TGridColumn::FontChanged() {
  explicit_.Include(TColumnValue::cvFont);
  title_->RefreshDefaultFont();
  Changed();
}

bool TGridColumn::DefaultReadOnly() {
  ColumnHost* grid = Host();
  if (grid && grid->ReadOnly()) return true;
  TField* field = BoundField();
  return field && field->ReadOnly();
}

bool TGridColumn::ReadOnly() {
  return IsExplicit(TColumnValue::cvReadOnly) ? read_only_ : DefaultReadOnly();
}

void TGridColumn::SetReadOnly(bool value) {
  if (LiveGeneratedColumn()) {
    BoundField()->SetReadOnly(value);
    Changed();
    return;
  }
  if (IsExplicit(TColumnValue::cvReadOnly) && read_only_ == value) return;
  read_only_ = value;
  explicit_.Include(TColumnValue::cvReadOnly);
  Changed();
}

int TGridColumn::Width() { return IsExplicit(TColumnValue::cvWidth) ? width_ : FieldBasedWidth(); }

void TGridColumn::SetWidth(int value) {
  bool store = true;
  if (IsFieldDriven()) {
    if (ColumnHost* grid = Host()) {
      // A generated column tells its field how many characters now fit, so
      // that the next generated column for it keeps this width.
      TField* field = BoundField();
      if (grid->HasWindow() && field && value >= 0) {
        Canvas& canvas = grid->MeasureCanvas();
        canvas.SetFont(Font().Spec());
        TextMetrics tm = canvas.Metrics();
        int zero = canvas.TextWidth("0");
        if (zero > 0) {
          field->SetDisplayWidth((value + tm.ave_char_width / 2 - tm.overhang - 3) / zero);
        }
      }
      store = !(grid->LayoutFromSource() && !IsExplicit(TColumnValue::cvWidth));
    }
  }
  if (store) StoreWidth(value);
}

void TGridColumn::StoreWidth(int value) {
  if ((IsExplicit(TColumnValue::cvWidth) || value != FieldBasedWidth()) && value != -1) {
    width_ = value;
    explicit_.Include(TColumnValue::cvWidth);
    if (max_width_ > 0 && width_ > max_width_) width_ = max_width_;
    if (width_ < min_width_) width_ = min_width_;
  }
  Changed();
}

void TGridColumn::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Changed(/*whole_set=*/true);
}

bool TGridColumn::DefaultWordWrap() {
  if (!Host()) return false;
  TField* field = BoundField();
  if (!field) return false;
  switch (field->DataType()) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
    case TFieldType::ftWideString:
      return true;
    default:
      return false;
  }
}

bool TGridColumn::WordWrap() {
  return IsExplicit(TColumnValue::cvWordWrap) ? word_wrap_ : DefaultWordWrap();
}

void TGridColumn::SetWordWrap(bool value) {
  ColumnHost* grid = Host();
  if (IsExplicit(TColumnValue::cvWordWrap) || value != DefaultWordWrap() ||
      (grid && grid->Loading())) {
    word_wrap_ = value;
    explicit_.Include(TColumnValue::cvWordWrap);
  }
  Changed();
}

void TGridColumn::SetMinWidth(int value) {
  min_width_ = value;
  if (value > 0 && Width() < value) SetWidth(value);
}

void TGridColumn::SetMaxWidth(int value) {
  max_width_ = value;
  if (value > 0 && Width() > value) SetWidth(value);
}

bool TGridColumn::DefaultCheckboxes() {
  TField* field = BoundField();
  return field && field->DataType() == TFieldType::ftBoolean;
}

bool TGridColumn::Checkboxes() {
  return IsExplicit(TColumnValue::cvCheckboxes) ? checkboxes_ : DefaultCheckboxes();
}

void TGridColumn::SetCheckboxes(bool value) {
  if (IsExplicit(TColumnValue::cvCheckboxes) && checkboxes_ == value) return;
  checkboxes_ = value;
  explicit_.Include(TColumnValue::cvCheckboxes);
  Changed();
}

bool TGridColumn::EndEllipsis() const {
  if (IsExplicit(TColumnValue::cvEndEllipsis)) return end_ellipsis_;
  ColumnHost* grid = Host();
  return grid && grid->ColumnDefValues().EndEllipsis();
}

void TGridColumn::SetEndEllipsis(bool value) {
  end_ellipsis_ = value;
  explicit_.Include(TColumnValue::cvEndEllipsis);
  Changed();
}

bool TGridColumn::ToolTips() const {
  if (IsExplicit(TColumnValue::cvToolTips)) return tool_tips_;
  ColumnHost* grid = Host();
  return grid && grid->ColumnDefValues().ToolTips();
}

void TGridColumn::SetToolTips(bool value) {
  tool_tips_ = value;
  explicit_.Include(TColumnValue::cvToolTips);
  Changed();
}

bool TGridColumn::AlwaysShowEditButton() const {
  if (IsExplicit(TColumnValue::cvAlwaysShowEditButton)) return always_show_edit_button_;
  ColumnHost* grid = Host();
  return grid && grid->ColumnDefValues().AlwaysShowEditButton();
}

void TGridColumn::SetAlwaysShowEditButton(bool value) {
  always_show_edit_button_ = value;
  explicit_.Include(TColumnValue::cvAlwaysShowEditButton);
  Changed();
}

void TGridColumn::SetDisplayFormat(const std::string& value) {
  if (display_format_ == value) return;
  display_format_ = value;
  Changed();
}

void TGridColumn::SetAutoFitColWidth(bool value) {
  if (auto_fit_col_width_ == value) return;
  auto_fit_col_width_ = value;
  Changed(/*whole_set=*/true);
}

// --- Footers -------------------------------------------------------------------

TColumnFooter& TGridColumn::FooterForRow(int row) {
  if (row >= 0 && row < footers_->Count()) return (*footers_)[row];
  return *footer_;
}

void TGridColumn::SyncFooterSummaries() {
  if (footer_) footer_->SyncFooterSummary();
  if (footers_) {
    for (int i = 0; i < footers_->Count(); ++i) (*footers_)[i].SyncFooterSummary();
  }
}

// --- What painting asks -----------------------------------------------------------

TColumnKind TGridColumn::ColumnKind() {
  // Record sources here have no lookup fields, and columns no pick or key
  // lists, so the other kinds never arise.
  if (Checkboxes()) return TColumnKind::CheckBoxKind;
  return TColumnKind::CommonKind;
}

TCheckState TGridColumn::CheckState() {
  TField* field = BoundField();
  if (!field) return TCheckState::Unchecked;
  if (field->IsNull()) return TCheckState::Grayed;
  if (field->DataType() == TFieldType::ftBoolean) {
    return FieldAsBoolean(*field) ? TCheckState::Checked : TCheckState::Unchecked;
  }
  return TCheckState::Unchecked;
}

std::string TGridColumn::DisplayText() {
  TField* field = BoundField();
  if (!field) return std::string();
  if (display_format_.empty()) return field->DisplayText();
  return FormatFieldValue(*field, display_format_);
}

void TGridColumn::RestoreColumnDefaults() {
  bool font_was_explicit = IsExplicit(TColumnValue::cvFont);
  title_->RestoreDefaults();
  explicit_.Clear();
  RefreshDefaultFont();
  Changed(font_was_explicit);
}

void TGridColumn::Changed(bool whole_set) { collection_.Changed(whole_set ? nullptr : this); }

void TGridColumn::SetIndex(int index) {
  // Generated columns follow the record source's field order; fields here
  // cannot be reordered, so only the column moves (until the next pass).
  int from = Index();
  if (from >= 0 && from != index) collection_.Move(from, index);
}

}  // namespace grid
