#include "grid/view/row_metrics.h"

#include <algorithm>

namespace grid {

DataRowResult ComputeDataRowHeight(const DataRowInput& in) {
  DataRowResult out;
  int h = in.text_height;
  int m = (in.flat ? 1 : 3) + in.line_width;
  out.row_height = in.row_height;
  out.row_lines = in.row_lines;
  if (in.row_height > 0 || in.row_lines > 0) {
    out.data_row_height =
        in.row_height + (in.metrics.external_leading + in.metrics.height) * in.row_lines;
  } else {
    out.data_row_height = h + m;
  }
  if (in.fit_to_text && h > 0) {
    int k = (out.data_row_height - m) / h;
    int r = (out.data_row_height - m) % h;
    out.data_row_height = (r <= h / 2 && k != 0) ? k * h + m : (k + 1) * h + m;
    out.row_lines = (out.data_row_height - m) / h;
    out.row_height = m;
  }
  const TextMetrics& tm = in.metrics;
  out.can_wrap_text =
      tm.external_leading + tm.height + tm.internal_leading + 4 < out.data_row_height;
  return out;
}

int FormulaTitleRowHeight(int title_lines, int title_height, const TextMetrics& tallest,
                          bool row_lines) {
  return title_lines * tallest.height + tallest.external_leading + title_height + 2 +
         (row_lines ? 1 : 0);
}

int FixedRowsHeight(bool titles, int title_row_count, int title_row_height, int row_step,
                    int line_width, int footer_row_count) {
  int fixed = 0;
  int further = title_row_count;
  if (titles) {
    fixed += title_row_height + line_width;
    further = std::max(title_row_count - 1, 0);
  }
  fixed += further * row_step;
  fixed += footer_row_count * row_step;
  if (footer_row_count > 0) fixed += line_width;
  return fixed;
}

int RecordsThatFit(int client_height, int fixed_rows_height, int row_step) {
  if (row_step <= 0) return 1;
  int n = (client_height - fixed_rows_height) / row_step;
  return std::max(n, 1);
}

}  // namespace grid
