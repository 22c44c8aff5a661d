#include "app/box_completions.h"

#include <QEvent>

namespace app {
namespace {

QStringList ToStringList(const std::vector<std::string>& names) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& n : names) list.push_back(QString::fromStdString(n));
  return list;
}

void SetUp(QCompleter& completer, QStringListModel& model, QLineEdit& box) {
  completer.setModel(&model);
  // Access names ignore letter case; a name may be found by any part of it.
  completer.setCaseSensitivity(Qt::CaseInsensitive);
  completer.setFilterMode(Qt::MatchContains);
  completer.setCompletionMode(QCompleter::PopupCompletion);
  box.setCompleter(&completer);
}

}  // namespace

TBoxCompletions::TBoxCompletions(TFormMain& form, TableLister tables, FieldLister fields)
    : QObject(nullptr),
      form_(form),
      list_tables_(std::move(tables)),
      list_fields_(std::move(fields)) {
  SetUp(table_completer_, table_model_, form_.Edit3);
  SetUp(field_completer_, field_model_, form_.Edit4);
  form_.Edit3.installEventFilter(this);
  // Connected after the window's own handlers, so these run once a command
  // has finished (also when it ended in the error box).
  connect(&form_.Button2, &QPushButton::clicked, this, [this] {
    tables_current_ = false;
    RefreshFields();
  });
  connect(&form_.Button3, &QPushButton::clicked, this, [this] { RefreshFields(); });
  connect(&form_.Button4, &QPushButton::clicked, this, [this] { RefreshFields(); });
}

TBoxCompletions::~TBoxCompletions() {
  form_.Edit3.removeEventFilter(this);
  form_.Edit3.setCompleter(nullptr);
  form_.Edit4.setCompleter(nullptr);
}

void TBoxCompletions::RefreshTables() {
  const QString file = form_.Edit1.text();
  const QString password = form_.Edit2.text();
  if (tables_current_ && file == listed_file_ && password == listed_password_) return;
  std::vector<std::string> names;
  if (list_tables_ && !file.isEmpty()) {
    try {
      names = list_tables_(Text(form_.Edit1), Text(form_.Edit2));
    } catch (...) {
      names.clear();  // completions are a comfort; no box for them
    }
  }
  table_model_.setStringList(ToStringList(names));
  tables_current_ = true;
  listed_file_ = file;
  listed_password_ = password;
}

void TBoxCompletions::RefreshFields() {
  std::vector<std::string> names;
  if (list_fields_) {
    try {
      names = list_fields_();
    } catch (...) {
      names.clear();
    }
  }
  field_model_.setStringList(ToStringList(names));
}

bool TBoxCompletions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &form_.Edit3 && event->type() == QEvent::FocusIn) RefreshTables();
  return QObject::eventFilter(watched, event);
}

}  // namespace app
