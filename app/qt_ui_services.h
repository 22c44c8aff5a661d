// QtUiServices: message boxes and the open-file dialog with Qt widgets.
#pragma once

#include <QStringList>
#include <memory>

#include "app/progress_window.h"
#include "app/ui_services.h"

class QMessageBox;

namespace app {

class QtUiServices : public UiServices {
 public:
  QtUiServices();
  ~QtUiServices() override;

  void ShowMessageBox(const MessageBoxRequest& request) override;
  std::optional<QString> RunOpenDialog(const FileDialogRequest& request, QWidget* parent) override;
  // A TProgressWindow over `parent`, updated in place; the windows repaint
  // but user input waits for the command to end.
  void ShowProgress(const ProgressRequest& request, QWidget* parent) override;
  void HideProgress() override;

  // The progress window while one is shown (tests).
  TProgressWindow* ProgressWindow() const { return progress_.get(); }

 private:
  std::unique_ptr<TProgressWindow> progress_;
};

// Gives the box's standard buttons the captions a Chinese system shows
// ("确定", "取消", "是(&Y)", ...) instead of the toolkit's English ones;
// buttons it has no caption for keep theirs.
void SetChineseButtonTexts(QMessageBox& box);

// Splits a "description|patterns" filter into the dialog's name filter text
// and its patterns: "Mdb Files (*.mdb)|*.MDB" shows as "Mdb Files (*.mdb)" and
// matches "*.MDB" (case-insensitively, as the dialog is set up).
struct DialogFilter {
  QString description;
  QStringList patterns;
};
DialogFilter ParseDialogFilter(const QString& filter);

}  // namespace app
