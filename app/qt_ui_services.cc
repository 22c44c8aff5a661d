#include "app/qt_ui_services.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>

namespace app {
namespace {

// A message box that places itself in the middle of the screen rather than
// over whichever window happens to be active.
class ScreenCentredMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (event->spontaneous()) return;
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return;
    const QRect area = s->geometry();
    const QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);
  }
};

// An open-file dialog that treats a typed pattern ("*.mdb", the name it
// starts with) as a filter rather than a choice: pressing Open on it keeps
// the dialog up instead of returning a path with a wildcard in it.
class OpenFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    for (const QString& path : selectedFiles()) {
      const QFileInfo info(path);
      const QString name = info.fileName();
      if ((name.contains(u'*') || name.contains(u'?')) && !info.exists()) return;
    }
    QFileDialog::accept();
  }
};

struct ButtonCaption {
  QMessageBox::StandardButton button;
  const char* text;  // UTF-8
};

// The captions of the standard message-box buttons on a Chinese system.
constexpr ButtonCaption kChineseCaptions[] = {
    {QMessageBox::Ok, "确定"},         {QMessageBox::Cancel, "取消"},
    {QMessageBox::Yes, "是(&Y)"},      {QMessageBox::No, "否(&N)"},
    {QMessageBox::Abort, "中止(&A)"},  {QMessageBox::Retry, "重试(&R)"},
    {QMessageBox::Ignore, "忽略(&I)"}, {QMessageBox::Close, "关闭"},
    {QMessageBox::Help, "帮助"},
};

}  // namespace

void SetChineseButtonTexts(QMessageBox& box) {
  for (const ButtonCaption& caption : kChineseCaptions) {
    if (QAbstractButton* button = box.button(caption.button)) {
      button->setText(QString::fromUtf8(caption.text));
    }
  }
}

DialogFilter ParseDialogFilter(const QString& filter) {
  DialogFilter result;
  const qsizetype bar = filter.indexOf(u'|');
  result.description = bar < 0 ? filter : filter.left(bar);
  const QString patterns = bar < 0 ? QString() : filter.mid(bar + 1);
  result.patterns = patterns.split(u';', Qt::SkipEmptyParts);
  for (QString& p : result.patterns) p = p.trimmed();
  return result;
}

QtUiServices::QtUiServices() = default;
QtUiServices::~QtUiServices() = default;

void QtUiServices::ShowMessageBox(const MessageBoxRequest& request) {
  HideProgress();  // a box never sits beside a progress window
  ScreenCentredMessageBox box(
      request.icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::NoIcon,
      request.caption, request.text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  SetChineseButtonTexts(box);
  box.exec();
}

std::optional<QString> QtUiServices::RunOpenDialog(const FileDialogRequest& request,
                                                   QWidget* parent) {
  OpenFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Like the classic open dialog without "file must exist": a typed name
  // that does not exist yet is accepted.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The patterns are matched ignoring letter case, so "*.MDB" lists a.mdb too.
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  const DialogFilter filter = ParseDialogFilter(request.filter);
  if (!filter.patterns.isEmpty()) {
    // The description is shown as is; the patterns ride in a last pair of
    // parentheses that the dialog hides.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(filter.description + QStringLiteral(" (") + filter.patterns.join(u' ') +
                         QChar(u')'));
  }
  QString suffix = request.default_ext;
  if (suffix.startsWith(u'.')) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  dialog.setDirectory(request.initial_dir);
  dialog.selectFile(request.file_name);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen.front());
}

void QtUiServices::ShowProgress(const ProgressRequest& request, QWidget* parent) {
  if (!progress_) progress_ = std::make_unique<TProgressWindow>(parent);
  progress_->SetProgress(request.caption, request.text, request.done, request.total);
  progress_->show();
  // Paint and expose events only: a click or key press waits in the queue
  // until the command has ended, as it would without the progress window.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUiServices::HideProgress() { progress_.reset(); }

}  // namespace app
