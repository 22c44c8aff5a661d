// A grid column: which field it shows and how. Every presentation property is
// either assigned on the column or inherited when read, from the bound field
// (alignment, width, read-only, caption) or from the grid (colour, fonts).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "grid/base/data_access.h"
#include "grid/base/font.h"
#include "grid/columns/column_title.h"
#include "grid/columns/column_values.h"
#include "grid/columns/footer.h"

namespace grid {

class ColumnHost;
class TDataGridColumns;

enum class TColumnKind {
  CheckBoxKind,
  LookupKind,
  PickListKind,
  KeyImageKind,
  KeyPickKind,
  CommonKind,
};

enum class TCheckState { Unchecked, Checked, Grayed };

class TGridColumn {
 public:
  // Columns are made by their collection (Add, AddFieldDrivenColumn).
  explicit TGridColumn(TDataGridColumns& collection);
  virtual ~TGridColumn();
  TGridColumn(const TGridColumn&) = delete;
  TGridColumn& operator=(const TGridColumn&) = delete;

  TDataGridColumns& Collection() const { return collection_; }
  // The grid that owns the collection, or none.
  ColumnHost* Host() const;
  int Index() const;
  // Moves the column to `index` (a whole-set change).
  virtual void SetIndex(int index);
  // FieldName, or a generic name for an unnamed column.
  std::string DisplayName() const;

  TColumnValues ExplicitValues() const { return explicit_; }
  bool IsExplicit(TColumnValue v) const { return explicit_.Has(v); }

  // True for columns made by Add (the program's own); false for those the
  // layout pass generates from the record source's fields.
  bool IsPersistent() const { return is_persistent_; }
  void SetIsPersistent(bool value) { is_persistent_ = value; }
  bool IsFieldDriven() const { return !is_persistent_; }

  // --- Binding -----------------------------------------------------------
  // The bound field. Looks the name up (ignoring case) in an open record
  // source when no field is bound yet, takes the field's own spelling as
  // FieldName and re-targets the footers' summaries. None when not found.
  TField* BoundField();
  // Binds `field` (or none). A generated column given none also forgets its
  // FieldName and all its assigned values.
  virtual void BindField(TField* field);
  const std::string& FieldName() const { return field_name_; }
  // Stores the name and binds the field of that name, if the grid's record
  // source has one.
  void SetFieldName(const std::string& name);
  // The width the bound field asks for, measured with the column's font:
  // 64 without a grid, the grid's default column width without a field.
  int FieldBasedWidth();

  // --- Presentation -------------------------------------------------------
  TAlignment Alignment();
  virtual void SetAlignment(TAlignment value);
  TColor Color() const;
  void SetColor(TColor value);
  // The grid's Font while not assigned. Changing the returned object marks
  // the font as assigned.
  TFont& Font();
  void SetFont(const TFont& value) { font_.Assign(value); }
  bool ReadOnly();
  virtual void SetReadOnly(bool value);
  int Width();
  virtual void SetWidth(int value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool WordWrap();
  virtual void SetWordWrap(bool value);
  int MinWidth() const { return min_width_; }
  void SetMinWidth(int value);
  int MaxWidth() const { return max_width_; }
  void SetMaxWidth(int value);
  bool Checkboxes();
  void SetCheckboxes(bool value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool value);
  bool ToolTips() const;
  void SetToolTips(bool value);
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool value);
  const std::string& DisplayFormat() const { return display_format_; }
  void SetDisplayFormat(const std::string& value);
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }
  bool AutoFitColWidth() const { return auto_fit_col_width_; }
  virtual void SetAutoFitColWidth(bool value);

  TColumnTitle& Title() { return *title_; }
  TColumnFooter& Footer() { return *footer_; }
  TColumnFooters& Footers() { return *footers_; }
  // Footers[row] when that exists, else Footer.
  TColumnFooter& FooterForRow(int row);
  // Keeps the summary entry of every footer in step with its value type.
  void SyncFooterSummaries();

  // --- What painting asks ---------------------------------------------------
  TColumnKind ColumnKind();
  TCheckState CheckState();
  // The bound field's display text (or its value by DisplayFormat); empty
  // without a field.
  std::string DisplayText();

  // The field is being destroyed: drop the reference without notices.
  void ForgetField(const TField* field) {
    if (field_ == field) field_ = nullptr;
  }

  // Forgets every assigned value of the column and its title.
  virtual void RestoreColumnDefaults();
  // Brings the inherited font up to date with its source (no notice).
  void RefreshDefaultFont();

  // Tells the collection: this column changed (repaint it), or with
  // `whole_set` the set changed (full layout pass).
  void Changed(bool whole_set = false);

  // Used by the title and footers for their inherited values.
  FontSpec DefaultFont() const;

 private:
  bool DefaultReadOnly();
  bool DefaultWordWrap();
  bool DefaultCheckboxes();
  TAlignment DefaultAlignment();
  bool LiveGeneratedColumn();
  void FontChanged();
  void StoreWidth(int value);

  TDataGridColumns& collection_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TColumnValues explicit_;
  TColor color_ = clWindow;
  std::string display_format_;
  TField* field_ = nullptr;
  std::string field_name_;
  TFont font_;
  std::unique_ptr<TColumnFooter> footer_;
  std::unique_ptr<TColumnFooters> footers_;
  int max_width_ = 0;
  int min_width_ = 0;
  bool read_only_ = false;
  bool is_persistent_ = true;
  int tag_ = 0;
  std::unique_ptr<TColumnTitle> title_;
  bool visible_ = true;
  int width_ = 0;
  bool word_wrap_ = false;
  bool auto_fit_col_width_ = true;
  bool checkboxes_ = false;
  bool end_ellipsis_ = false;
  bool tool_tips_ = false;
  bool always_show_edit_button_ = false;
  // Re-entrance guard while the bound field is being looked up.
  bool resolving_ = false;

  friend class TColumnTitle;
};

// The item class of the grid's column collection.
class TDataGridColumn : public TGridColumn {
 public:
  using TGridColumn::TGridColumn;
};

}  // namespace grid
