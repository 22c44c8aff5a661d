// The grid's option sets, bit 0 first.
#pragma once

#include <cstdint>

namespace grid {

enum TDBGridOption : std::uint16_t {
  dgEditing = 1u << 0,
  dgAlwaysShowEditor = 1u << 1,
  dgTitles = 1u << 2,
  dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4,
  dgColLines = 1u << 5,
  dgRowLines = 1u << 6,
  dgTabs = 1u << 7,
  dgRowSelect = 1u << 8,
  dgAlwaysShowSelection = 1u << 9,
  dgConfirmDelete = 1u << 10,
  dgCancelOnExit = 1u << 11,
  dgMultiSelect = 1u << 12,
};
using TDBGridOptions = std::uint16_t;

enum TDataGridExtOption : std::uint16_t {
  dgxFixed3D = 1u << 0,
  dgxFrozen3D = 1u << 1,
  dgxFooter3D = 1u << 2,
  dgxData3D = 1u << 3,
  dgxResizeWholeRightPart = 1u << 4,
  dgxHighlightFocus = 1u << 5,
  dgxClearSelection = 1u << 6,
  dgxFitRowHeightToText = 1u << 7,
  dgxAutoSortMarking = 1u << 8,
  dgxMultiSortMarking = 1u << 9,
  dgxEnterAsTab = 1u << 10,
  dgxTraceColSizing = 1u << 11,
  dgxIncSearch = 1u << 12,
  dgxPreferIncSearch = 1u << 13,
  dgxRowHighlight = 1u << 14,
  dgxDblClickOptimizeColWidth = 1u << 15,
};
using TDataGridExtOptions = std::uint16_t;

inline constexpr TDBGridOptions kDefaultGridOptions = dgEditing | dgTitles | dgIndicator |
                                                      dgColumnResize | dgColLines | dgRowLines |
                                                      dgTabs | dgConfirmDelete | dgCancelOnExit;
inline constexpr TDataGridExtOptions kDefaultGridExtOptions =
    dgxFixed3D | dgxHighlightFocus | dgxClearSelection;

}  // namespace grid
