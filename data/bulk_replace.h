// Modify's loop: the rows of a statement, run again on the scratch query,
// each rewritten field by field and stored when a value changed. The window
// replaces one text in one field ignoring letter case (ModifyRows);
// tarnquill-cli adds other rules, several fields, and rewrites of its own
// (RewriteRows), all through this one loop with its batches.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/ado_query.h"
#include "data/replace_rule.h"
#include "data/run_query.h"

namespace data {

struct ModifyOutcome {
  int64_t listed = 0;   // rows the statement selected
  int64_t matched = 0;  // rows where a field matched
  int64_t changed = 0;  // rows whose value changed (stored, or would be on a dry run)
};

// One field of a changed row.
struct FieldChange {
  std::string field;  // the name as the result has it
  std::string old_text;
  Replacement change;  // the new text, and what matched
};

// A row that changes.
struct RowChange {
  int64_t position = 0;  // 1-based among the rows the statement listed
  // The texts of the key columns (see ModifyOptions::key_columns): before
  // the change for on_change, as stored for StoreObserver. Empty without
  // keys, and while a RowRewrite runs.
  std::vector<std::string> key;
  std::vector<FieldChange> fields;
};

// Told about each stored row, for a record that must hold exactly the rows
// stored: every call comes before the row or batch it is about reaches the
// file, and a failure it throws stops the run before that happens.
class StoreObserver {
 public:
  virtual ~StoreObserver() = default;
  // `row` (texts as they will be stored) is about to be stored.
  virtual void BeforeStore(const RowChange& row) = 0;
  // The row of the last BeforeStore was refused and is not stored.
  virtual void StoreFailed() = 0;
  // The rows told so far are about to become durable.
  virtual void BeforeCommit() = 0;
};

struct ModifyOptions {
  // Count and report the changes, store nothing.
  bool dry_run = false;
  // Rows stored per batch: one durable step on disk for the lot, instead of
  // one per row. A failure keeps the rows stored before it. Each step costs
  // three flushes, several milliseconds each on a disk: 40,000 rows keep
  // their share of a large run small, while a batch's pages mostly stay
  // within the journal's in-memory allowance (past it they are journaled
  // and written early, which costs one more flush).
  int batch_rows = 40000;
  // Fill RowChange::key with the result's primary key columns, in column
  // order (a result without them leaves it empty).
  bool key_columns = false;
  // When key_columns finds none: list the rows again with this statement
  // (the whole table), so that a row's position is its place in the table.
  std::string keyless_statement;
  // Called once the rows are listed, before the first row is looked at.
  std::function<void(TADOQuery& query)> on_listed;
  // Called for every row that changes, before it is stored (also on a dry run).
  std::function<void(const RowChange&)> on_change;
  StoreObserver* observer = nullptr;
  // Called once, before the first row is stored (not on a dry run), and
  // only when the file takes writes: when this is set, a file opened for
  // reading only fails first, with the message storing a row would give.
  std::function<void()> before_first_write;
  // Called now and then with the rows done and the rows listed.
  std::function<void(int64_t done, int64_t total)> progress;
  // Receives the failure's own text when the statement does not open.
  std::string* open_failure = nullptr;
  // Receives the row at hand when a failure ends the run, with its key and
  // the fields the failure is about: those being stored, or the one a rule
  // failed on (its position stays 0 when the failure came before any row).
  RowChange* failed_row = nullptr;
};

// The result's primary key columns, in column order; none when the result
// does not mark them.
std::vector<TField*> KeyFields(const TADOQuery& query);
std::vector<std::string> KeyTexts(const std::vector<TField*>& keys);

// Appends to `row->fields` the changes of the query's current row
// (row->position is set). Throws to end the run.
using RowRewrite = std::function<void(TADOQuery& query, RowChange* row)>;

// Runs `statement` on `query` with RunQuery (failure message
// "数据库打开失败" through `show_message`), then calls `rewrite` on every
// row and stores the rows it changed. A row counts as matched when
// `rewrite` gave it a field, and as changed when one of them has a new
// text. Throws the record source's failure when the statement did not open
// ("ADOQueryTemp: Cannot perform this operation on a closed dataset"), and
// stops at the first failure of `rewrite` or of a row that cannot be stored
// (rows stored before it stay stored; the failing row stays in edit state).
ModifyOutcome RewriteRows(TADOQuery& query, const std::string& statement,
                          const RowRewrite& rewrite, const ShowMessageFn& show_message,
                          const ModifyOptions& options = {});

// RewriteRows applying `rule` to each of `fields` (found by name ignoring
// case; "ADOQueryTemp: Field 'x' not found" at the first row otherwise).
// NULL values are left alone.
ModifyOutcome ReplaceInFields(TADOQuery& query, const std::string& statement,
                              const std::vector<std::string>& fields, const ReplaceRule& rule,
                              const ShowMessageFn& show_message, const ModifyOptions& options = {});

// The window's Modify: ReplaceInFields on `field` with
// ContainsRule(old_value, new_value), letter case ignored.
ModifyOutcome ModifyRows(TADOQuery& query, const std::string& statement, const std::string& field,
                         const std::string& old_value, const std::string& new_value,
                         const ShowMessageFn& show_message, const ModifyOptions& options = {});

}  // namespace data
