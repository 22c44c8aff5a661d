// Modify's loop: the rows of the last view statement, run again on the
// scratch query, each with every occurrence of the search text in one field
// replaced, ignoring letter case. Shared by the window and tarnquill-cli.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/ado_query.h"
#include "data/run_query.h"

namespace data {

struct ModifyOutcome {
  int64_t listed = 0;   // rows the statement selected
  int64_t changed = 0;  // rows whose value changed (stored, or would be on a dry run)
};

struct ModifyOptions {
  // Count and report the changes, store nothing.
  bool dry_run = false;
  // Rows stored per batch: one durable step on disk for the lot, instead of
  // one per row. A failure keeps the rows stored before it. Each step costs
  // three flushes; 10,000 rows keep their share of a large run small while a
  // batch's pages stay within the journal's in-memory allowance.
  int batch_rows = 10000;
  // Called with the row's 0-based number and its old and new text for every
  // row whose value changes, before it is stored.
  std::function<void(int64_t row, const std::string& old_text, const std::string& new_text)>
      on_change;
  // Called once, before the first row is stored (not on a dry run).
  std::function<void()> before_first_write;
  // Called now and then with the rows done and the rows listed.
  std::function<void(int64_t done, int64_t total)> progress;
  // Receives the failure's own text when the statement does not open.
  std::string* open_failure = nullptr;
};

// Runs `statement` on `query` with RunQuery (failure message
// "数据库打开失败" through `show_message`), then in every row reads `field`
// (found by name ignoring case) as text, replaces `old_value` by `new_value`
// with ReplaceText (all occurrences, ignoring case) and stores the row when
// its value changed. A NULL value and a value that stays the same are left
// alone. Throws the record source's failure when the statement did not open
// ("ADOQueryTemp: Cannot perform this operation on a closed dataset"), when
// the field is missing ("ADOQueryTemp: Field 'x' not found") or at the
// first row that cannot be stored (rows stored before it stay stored; the
// failing row stays in edit state).
ModifyOutcome ModifyRows(TADOQuery& query, const std::string& statement, const std::string& field,
                         const std::string& old_value, const std::string& new_value,
                         const ShowMessageFn& show_message, const ModifyOptions& options = {});

}  // namespace data
