// The grid's own names for keys, buttons, modifiers, scroll-bar codes,
// cursors and interaction states, so that the core needs no window system.
// The widget translates the platform's events into these.
#pragma once

#include <cstdint>

namespace grid {

// The keys the grid distinguishes; every other key arrives as Other.
enum class TGridKey {
  None,  // cleared by a key handler: nothing happens
  Up,
  Down,
  Left,
  Right,
  PageUp,
  PageDown,
  Home,
  End,
  Escape,
  Enter,
  Tab,
  Insert,
  Delete,
  F2,
  A,
  C,
  F,
  V,
  X,
  Quote,
  Other,
};

// Modifier bits held with a key, button or wheel turn.
enum TShiftFlag : std::uint8_t {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
};
using TShiftState = std::uint8_t;

enum class TMouseButton { Left, Right, Middle };

// Scroll-bar notification codes, with the window system's values; the
// horizontal names share the vertical ones' values.
enum TScrollCode : int {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_LEFT = 6,
  SB_BOTTOM = 7,
  SB_RIGHT = 7,
  SB_ENDSCROLL = 8,
};

// Pointer shapes the grid asks for.
enum class TCursor { crDefault, crHSplit };

// What the grid is doing with the mouse.
enum class TGridState { Idle, Selecting, RowSizing, ColumnSizing, RowMoving, ColumnMoving };

// Bits of the answer to "which keys does the grid want" (the rest go to
// the window for dialog navigation).
enum TDialogCode : unsigned {
  DLGC_WANTARROWS = 0x1,
  DLGC_WANTTAB = 0x2,
  DLGC_WANTCHARS = 0x80,
};

// The timer both auto-scrolling and column moving run on.
inline constexpr int kGridTimerId = 1;
// Interval of the column-moving timer, in milliseconds.
inline constexpr int kColumnMoveInterval = 60;

}  // namespace grid
