// TBoxCompletions: the table box offers the database's table names and the
// field box the open table's field names, as completions while typing. The
// boxes stay free text: nothing typed is checked, refused or changed unless
// the user picks a completion.
//
// Table names are listed when the table box gets the focus and the file or
// password box changed since the last listing (or an Open ran since: it may
// have been another file); field names after every Open, Refresh and
// Modify, from the view that command left.
#pragma once

#include <QCompleter>
#include <QObject>
#include <QStringList>
#include <QStringListModel>
#include <functional>
#include <string>
#include <vector>

#include "app/form_main.h"

namespace app {

class TBoxCompletions : public QObject {
  Q_OBJECT

 public:
  // The names of the tables of `file` opened with `password`; empty when it
  // cannot be read. Must not throw.
  using TableLister =
      std::function<std::vector<std::string>(const std::string& file, const std::string& password)>;
  // The fields of the open view; empty when no view is open.
  using FieldLister = std::function<std::vector<std::string>()>;

  // Attaches completers to form.Edit3 and form.Edit4 and follows the form's
  // boxes and buttons; lives no longer than `form`.
  TBoxCompletions(TFormMain& form, TableLister tables, FieldLister fields);
  ~TBoxCompletions() override;

  // Lists the tables again unless the file and password are those of the
  // last listing.
  void RefreshTables();
  // Takes the fields of the view as it is now.
  void RefreshFields();

  QStringList TableNames() const { return table_model_.stringList(); }
  QStringList FieldNames() const { return field_model_.stringList(); }
  QCompleter& TableCompleter() { return table_completer_; }
  QCompleter& FieldCompleter() { return field_completer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TFormMain& form_;
  TableLister list_tables_;
  FieldLister list_fields_;
  QStringListModel table_model_;
  QStringListModel field_model_;
  QCompleter table_completer_;
  QCompleter field_completer_;
  // File and password of the last listing; stale when unset.
  bool tables_current_ = false;
  QString listed_file_;
  QString listed_password_;
};

}  // namespace app
