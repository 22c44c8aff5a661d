#include "data/bulk_replace.h"

#include <exception>

#include "data/provider/ado.h"

namespace data {
namespace {

// Keeps the rows of one batch: commits on the way out, also when a row
// failed, so that every row stored before the failure stays stored.
class BatchScope {
 public:
  BatchScope(TADOConnection* connection, StoreObserver* observer)
      : connection_(connection), observer_(observer) {}
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;
  ~BatchScope() {
    // Only reached while a failure is on its way; that failure is the one to
    // report, and the commit's own failure cannot be reported on top of it.
    if (open_) {
      try {
        if (observer_ != nullptr) observer_->BeforeCommit();
      } catch (...) {
      }
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
    if (observer_ != nullptr) observer_->BeforeCommit();
    open_ = false;
    connection_->CommitBatch();
  }

 private:
  TADOConnection* connection_;
  StoreObserver* observer_;
  bool open_ = false;
};

bool Changes(const RowChange& row) {
  for (const FieldChange& f : row.fields) {
    if (f.change.text != f.old_text) return true;
  }
  return false;
}

// Edits the current row with the new texts of `row` and tells the observer
// what will be stored: the texts read back from the fields, so that a value
// the field's type normalises is recorded as the file will hold it.
void EditRow(TADOQuery& query, const RowChange& row, const std::vector<TField*>& keys,
             StoreObserver* observer) {
  query.Edit();
  for (const FieldChange& f : row.fields) {
    if (f.change.text != f.old_text) query.FieldByName(f.field).SetTextValue(f.change.text);
  }
  if (observer == nullptr) return;
  RowChange stored;
  stored.position = row.position;
  stored.key = KeyTexts(keys);
  for (const FieldChange& f : row.fields) {
    if (f.change.text == f.old_text) continue;
    FieldChange& s = stored.fields.emplace_back();
    s.field = f.field;
    s.old_text = f.old_text;
    s.change.text = query.FieldByName(f.field).TextValue();
  }
  observer->BeforeStore(stored);
}

// Fills `failed` with what is known of the current row when a failure ends
// the run. Reading the key must not replace the failure being reported.
void NoteFailedRow(const TADOQuery& query, const RowChange& row, RowChange* failed) {
  *failed = row;
  try {
    failed->key = KeyTexts(KeyFields(query));
  } catch (...) {
  }
}

}  // namespace

std::vector<TField*> KeyFields(const TADOQuery& query) {
  std::vector<TField*> keys;
  for (const provider::ColumnInfo& c : query.Columns()) {
    if ((c.attributes & provider::adFldKeyColumn) == 0) continue;
    if (TField* f = query.FindField(c.name)) keys.push_back(f);
  }
  return keys;
}

std::vector<std::string> KeyTexts(const std::vector<TField*>& keys) {
  std::vector<std::string> texts;
  texts.reserve(keys.size());
  for (const TField* k : keys) texts.push_back(k->TextValue());
  return texts;
}

ModifyOutcome RewriteRows(TADOQuery& query, const std::string& statement,
                          const RowRewrite& rewrite, const ShowMessageFn& show_message,
                          const ModifyOptions& options) {
  RunQuery(query, statement, kMsgOpenFailed, show_message, options.open_failure);
  std::vector<TField*> keys;
  if (options.key_columns && query.Active()) {
    keys = KeyFields(query);
    if (keys.empty() && !options.keyless_statement.empty() &&
        options.keyless_statement != statement) {
      RunQuery(query, options.keyless_statement, kMsgOpenFailed, show_message,
               options.open_failure);
    }
  }
  ModifyOutcome outcome;
  // Fails on a query the statement left closed, as the count cannot be read.
  outcome.listed = query.RecordCount();
  if (options.on_listed) options.on_listed(query);
  if (outcome.listed <= 0) return outcome;

  BatchScope batch(query.Connection(), options.dry_run ? nullptr : options.observer);
  int in_batch = 0;
  bool wrote = false;
  RowChange row;
  query.First();
  while (!query.Eof()) {
    row.position++;
    row.key.clear();
    row.fields.clear();
    try {
      rewrite(query, &row);
      if (!row.fields.empty()) ++outcome.matched;
      if (Changes(row)) {
        ++outcome.changed;
        row.key = KeyTexts(keys);
        if (options.on_change) options.on_change(row);
        if (!options.dry_run) {
          if (!wrote) {
            wrote = true;
            if (options.before_first_write) {
              // A file that refuses writes is refused before the caller
              // makes a backup or whatever else it does for a write.
              query.CheckWritable();
              options.before_first_write();
            }
          }
          batch.Begin();
          EditRow(query, row, keys, options.observer);
          try {
            query.Post();
          } catch (...) {
            if (options.observer != nullptr) options.observer->StoreFailed();
            throw;
          }
          if (++in_batch >= options.batch_rows) {
            batch.Commit();
            in_batch = 0;
          }
        }
      }
    } catch (...) {
      if (options.failed_row != nullptr) NoteFailedRow(query, row, options.failed_row);
      throw;
    }
    if (options.progress && (row.position % 4096 == 0 || row.position == outcome.listed)) {
      options.progress(row.position, outcome.listed);
    }
    query.Next();
  }
  batch.Commit();
  return outcome;
}

ModifyOutcome ReplaceInFields(TADOQuery& query, const std::string& statement,
                              const std::vector<std::string>& fields, const ReplaceRule& rule,
                              const ShowMessageFn& show_message, const ModifyOptions& options) {
  std::vector<TField*> targets;
  Replacement replaced;
  auto rewrite = [&](TADOQuery& q, RowChange* row) {
    if (targets.empty()) {
      for (const std::string& name : fields) targets.push_back(&q.FieldByName(name));
    }
    for (TField* target : targets) {
      if (target->IsNull()) continue;
      std::string old_text = target->TextValue();
      bool matched = false;
      try {
        matched = rule.Apply(old_text, &replaced);
      } catch (...) {
        // The failure is about this field alone.
        row->fields.assign(1, {target->FieldName(), std::move(old_text), {}});
        throw;
      }
      if (!matched) continue;
      row->fields.push_back({target->FieldName(), std::move(old_text), std::move(replaced)});
    }
  };
  return RewriteRows(query, statement, rewrite, show_message, options);
}

ModifyOutcome ModifyRows(TADOQuery& query, const std::string& statement, const std::string& field,
                         const std::string& old_value, const std::string& new_value,
                         const ShowMessageFn& show_message, const ModifyOptions& options) {
  return ReplaceInFields(query, statement, {field}, *ContainsRule(old_value, new_value, false),
                         show_message, options);
}

}  // namespace data
