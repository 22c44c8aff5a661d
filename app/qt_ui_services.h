// QtUiServices: message boxes and the open-file dialog with Qt widgets.
#pragma once

#include <QStringList>

#include "app/ui_services.h"

namespace app {

class QtUiServices : public UiServices {
 public:
  void ShowMessageBox(const MessageBoxRequest& request) override;
  std::optional<QString> RunOpenDialog(const FileDialogRequest& request, QWidget* parent) override;
};

// Splits a "description|patterns" filter into the dialog's name filter text
// and its patterns: "Mdb Files (*.mdb)|*.MDB" shows as "Mdb Files (*.mdb)" and
// matches "*.MDB" (case-insensitively, as the dialog is set up).
struct DialogFilter {
  QString description;
  QStringList patterns;
};
DialogFilter ParseDialogFilter(const QString& filter);

}  // namespace app
