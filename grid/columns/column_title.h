// A column's title: caption, alignment, colour and font, each inherited until
// assigned (caption from the bound field, the others from the grid).
#pragma once

#include <string>

#include "grid/base/data_access.h"
#include "grid/base/font.h"
#include "grid/columns/column_defaults.h"

namespace grid {

class TGridColumn;

enum class TSortMarker { smNone, smDown, smUp };

class TColumnTitle {
 public:
  explicit TColumnTitle(TGridColumn& column);
  TColumnTitle(const TColumnTitle&) = delete;
  TColumnTitle& operator=(const TColumnTitle&) = delete;

  TGridColumn& Column() const { return column_; }

  // The bound field's display name, else the column's FieldName, unless set.
  std::string Caption() const;
  // A persistent column stores the caption; a generated column of a live
  // grid writes it to its field's DisplayLabel and keeps inheriting; a
  // generated column without a live field ignores it.
  void SetCaption(const std::string& value);

  // The grid's title default, taLeftJustify without a grid, unless set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);

  // The grid's title default colour, clBtnFace without a grid, unless set.
  TColor Color() const;
  void SetColor(TColor value);

  // The grid's TitleFont (the column's font without a grid) while not set.
  // Changing the returned object marks the title font as set.
  TFont& Font();
  void SetFont(const TFont& value) { font_.Assign(value); }
  // Brings the inherited font up to date with its source (no notice).
  void RefreshDefaultFont();

  bool EndEllipsis() const;
  void SetEndEllipsis(bool value);
  bool ToolTips() const;
  void SetToolTips(bool value);
  bool TitleButton() const;
  void SetTitleButton(bool value);
  TTextOrientation Orientation() const;
  void SetOrientation(TTextOrientation value);

  // Kept as plain values; this grid has no title images or sorting.
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int value) { image_index_ = value; }
  int SortIndex() const { return sort_index_; }
  void SetSortIndex(int value) { sort_index_ = value; }
  TSortMarker SortMarker() const { return sort_marker_; }
  void SetSortMarker(TSortMarker value) { sort_marker_ = value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }

  // Forgets every assigned value and the caption and refreshes the font.
  void RestoreDefaults();

 private:
  FontSpec DefaultFont() const;
  const TColumnTitleDefValues* Defaults() const;
  void FontChanged();

  TGridColumn& column_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  std::string caption_;
  TColor color_ = clBtnFace;
  TFont font_;
  bool end_ellipsis_ = false;
  bool tool_tips_ = false;
  bool title_button_ = false;
  TTextOrientation orientation_ = TTextOrientation::tohHorizontal;
  int image_index_ = -1;
  int sort_index_ = 0;
  TSortMarker sort_marker_ = TSortMarker::smNone;
  std::string hint_;
};

}  // namespace grid
