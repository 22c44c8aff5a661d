// What painting hands to a cell and to the hooks: the draw state of a cell
// and the parameters a data or footer cell is drawn with.
#pragma once

#include <cstdint>
#include <string>

#include "data/field_types.h"
#include "grid/base/canvas.h"
#include "grid/base/color.h"
#include "grid/base/rect.h"

namespace grid {

// Set of draw-state bits of a cell.
enum TGridDrawStateBit : std::uint8_t {
  gdSelected = 1,  // in the selection (the current row in row-select mode)
  gdFocused = 2,   // the current cell of a focused grid
  gdFixed = 4,     // indicator column, frozen columns, title rows
};
using TGridDrawState = std::uint8_t;

// Parameters of the data cell being drawn; hooks may change background,
// font colour, alignment and text before the cell is drawn.
struct TColCellParams {
  int col = 0;  // grid column and row of the cell
  int row = 0;
  TGridDrawState state = 0;
  FontSpec font;
  data::TAlignment alignment = data::taLeftJustify;
  TColor background = 0;
  std::string text;
  int image_index = -1;
  CheckBoxState check_state = CheckBoxState::Unchecked;
};

// Parameters of a footer cell, handed to OnGetFooterParams.
struct TFooterCellParams {
  int col = 0;         // index of the column in the collection
  int footer_row = 0;  // 0 for the first footer row
  TGridDrawState state = 0;
  FontSpec font;
  data::TAlignment alignment = data::taLeftJustify;
  TColor background = 0;
  std::string text;
};

}  // namespace grid
