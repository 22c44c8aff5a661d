// Row heights of the grid and how many records fit: pure functions of the
// fonts' metrics, the options and the client height.
#pragma once

#include "grid/base/canvas.h"

namespace grid {

struct DataRowInput {
  int text_height = 0;  // height of "Wg" in the grid font
  TextMetrics metrics;  // of the grid font
  bool flat = false;
  int line_width = 0;        // the grid line width when rows have lines, else 0
  int row_height = 0;        // RowHeight property
  int row_lines = 0;         // RowLines property
  bool fit_to_text = false;  // dgxFitRowHeightToText
};

struct DataRowResult {
  int data_row_height = 0;
  // RowHeight and RowLines as fitting to whole text lines leaves them.
  int row_height = 0;
  int row_lines = 0;
  // Whether a cell's text may take several lines.
  bool can_wrap_text = false;
};

// The data row height: RowHeight + RowLines text lines when either is set,
// else the text height plus the margin (3, 1 when flat, plus the line).
DataRowResult ComputeDataRowHeight(const DataRowInput& in);

// The title row height from TitleLines and TitleHeight, used when either is
// set: lines × text height + external leading + TitleHeight + 2, plus 1 with
// row lines.
int FormulaTitleRowHeight(int title_lines, int title_height, const TextMetrics& tallest,
                          bool row_lines);

// Pixels the fixed rows take: the title row and its line, further fixed
// rows, and the footer rows with their lines plus the filler row's line.
int FixedRowsHeight(bool titles, int title_row_count, int title_row_height, int row_step,
                    int line_width, int footer_row_count);

// How many records fit below the fixed rows; at least 1.
int RecordsThatFit(int client_height, int fixed_rows_height, int row_step);

}  // namespace grid
