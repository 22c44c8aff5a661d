#include "data/bulk_replace.h"

#include <exception>

#include "data/replace_text.h"

namespace data {
namespace {

// Keeps the rows of one batch: commits on the way out, also when a row
// failed, so that every row stored before the failure stays stored.
class BatchScope {
 public:
  explicit BatchScope(TADOConnection* connection) : connection_(connection) {}
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;
  ~BatchScope() {
    // Only reached while a failure is on its way; that failure is the one to
    // report, and the commit's own failure cannot be reported on top of it.
    if (open_) {
      try {
        connection_->CommitBatch();
      } catch (...) {
      }
    }
  }

  void Begin() {
    if (open_ || connection_ == nullptr) return;
    connection_->BeginBatch();
    open_ = true;
  }
  void Commit() {
    if (!open_) return;
    open_ = false;
    connection_->CommitBatch();
  }
  bool open() const { return open_; }

 private:
  TADOConnection* connection_;
  bool open_ = false;
};

}  // namespace

ModifyOutcome ModifyRows(TADOQuery& query, const std::string& statement, const std::string& field,
                         const std::string& old_value, const std::string& new_value,
                         const ShowMessageFn& show_message, const ModifyOptions& options) {
  RunQuery(query, statement, kMsgOpenFailed, show_message, options.open_failure);
  ModifyOutcome outcome;
  // Fails on a query the statement left closed, as the count cannot be read.
  outcome.listed = query.RecordCount();
  if (outcome.listed <= 0) return outcome;

  BatchScope batch(query.Connection());
  int in_batch = 0;
  bool wrote = false;
  int64_t row = 0;
  query.First();
  while (!query.Eof()) {
    TField& target = query.FieldByName(field);
    if (!target.IsNull()) {
      const std::string old_text = target.TextValue();
      std::string new_text =
          ReplaceText(old_text, old_value, new_value, rfReplaceAll | rfIgnoreCase);
      if (new_text != old_text) {
        ++outcome.changed;
        if (options.on_change) options.on_change(row, old_text, new_text);
        if (!options.dry_run) {
          if (!wrote) {
            wrote = true;
            if (options.before_first_write) options.before_first_write();
          }
          batch.Begin();
          query.Edit();
          query.FieldByName(field).SetTextValue(new_text);
          query.Post();
          if (++in_batch >= options.batch_rows) {
            batch.Commit();
            in_batch = 0;
          }
        }
      }
    }
    ++row;
    if (options.progress && (row % 4096 == 0 || row == outcome.listed)) {
      options.progress(row, outcome.listed);
    }
    query.Next();
  }
  batch.Commit();
  return outcome;
}

}  // namespace data
