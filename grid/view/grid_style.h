// The grid's look decisions that depend on no grid object: colour blending,
// the highlight of data cells, which cells get a 3D frame, and the style
// shared by all grids.
#pragma once

#include <vector>

#include "grid/base/canvas.h"
#include "grid/base/color.h"
#include "grid/view/options.h"

namespace grid {

// Mixes `color` half-way towards `glass`, then 60% towards a light grey
// (225), and with `ungray` pushes it a quarter away from mid grey (122).
// Returns an RGB value; system colours are resolved first.
TColor BlendTowards(TColor color, TColor glass, bool ungray);

// The settings that all grids of the program share.
class TDataGridStyle {
 public:
  // The program's one style object.
  static TDataGridStyle& Default();

  // Non-current highlighted cells get a blended colour instead of the plain
  // highlight colour.
  bool SoftSelection() const { return soft_selection_; }
  void SetSoftSelection(bool value) { soft_selection_ = value; }
  // The screen's colour count; −1 for more than 256 colours, which every
  // screen this runs on has.
  int ScreenColors() const { return screen_colors_; }
  void SetScreenColors(int value) { screen_colors_ = value; }

 private:
  bool soft_selection_ = false;
  int screen_colors_ = -1;
};

// What the highlight of a data cell depends on.
struct HighlightInput {
  bool selected = false;     // the cell is in the selection
  bool current_row = false;  // the cell's row is the current row
  bool current_col = false;  // the cell's column is the current column
  bool has_focus = false;    // the grid (or its editor) has the keyboard focus
  bool update_locked = false;
  TDBGridOptions options = 0;
  TDataGridExtOptions ext_options = 0;
  bool soft_selection = false;
  int screen_colors = -1;
  TColor background = 0;
  TColor font_color = 0;
};

struct HighlightResult {
  bool highlighted = false;
  TColor background = 0;
  TColor font_color = 0;
};

// Whether a data cell is drawn highlighted and in which colours; an
// unhighlighted cell keeps its background and font colour. Blended colours
// are taken to the nearest colour `surface` shows, when one is given.
HighlightResult DataCellHighlight(const HighlightInput& in, Canvas* surface = nullptr);

// Where a cell lies, for deciding its frame.
struct FrameInput {
  bool fixed = false;      // the cell is in the fixed area
  bool indicator = false;  // the indicator column
  bool title = false;      // a title row
  bool filler = false;     // the row just above the footer rows
  bool footer = false;     // one of the footer rows
  TDataGridExtOptions ext_options = 0;
};

// True when the cell is drawn with a raised (or, highlighted, sunken) 3D
// frame inside its rectangle.
bool CellHasFrame(const FrameInput& in);

}  // namespace grid
