#include "app/form_main.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <exception>

#include "app/app_title.h"
#include "app/error_text.h"
#include "data/profile/ini_value.h"
#include "data/profile/profile_location.h"

namespace app {

std::string Text(const QLineEdit& box) { return box.text().toUtf8().toStdString(); }

TFormMain::TFormMain(UiServices& ui, TFormMainDatabase& database, const QString& executable_path)
    : QWidget(nullptr),
      Splitter1(
          this, &Panel1, [this] { return MaxSplitSize(&Panel1); }, [this] { Realign(); }),
      Splitter2(
          this, &Panel2, [this] { return MaxSplitSize(&Panel2); }, [this] { Realign(); }),
      ui_(ui),
      database_(database),
      executable_path_(executable_path),
      title_(ApplicationTitle(executable_path)) {
  BuildLayout();
  ConnectHandlers();
  RunGuarded([this] { FormCreate(); });
}

TFormMain::~TFormMain() = default;

void TFormMain::ConnectHandlers() {
  const auto wire = [this](QPushButton& button, void (TFormMain::*handler)()) {
    connect(&button, &QPushButton::clicked, this,
            [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  wire(Button1, &TFormMain::Button1Click);
  wire(Button2, &TFormMain::Button2Click);
  wire(Button3, &TFormMain::Button3Click);
  wire(Button4, &TFormMain::Button4Click);
}

void TFormMain::RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox(kMsgUnknownFailure);
  }
}

void TFormMain::ShowMessage(const QString& text) {
  ui_.ShowMessageBox({title_, text, MessageIcon::kNone});
}

void TFormMain::ShowErrorBox(const std::string& message) {
  ui_.ShowMessageBox({title_, QString::fromStdString(ErrorBoxText(message)), MessageIcon::kError});
}

void TFormMain::PlaceAtDesktopCentre() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (s == nullptr) return;
  const QRect desk = s->geometry();
  move(desk.x() + (desk.width() - width()) / 2, desk.y() + (desk.height() - height()) / 2);
}

void TFormMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from the task bar: not a new showing
  RunGuarded([this] { FormShow(); });
  if (!shown_once_) {
    shown_once_ = true;
    Edit1.setFocus(Qt::OtherFocusReason);
  }
}

std::string TFormMain::ReadProfile(const char* key) const {
  return data::ReadIniValue(kProfileSection, key, "",
                            QFile::encodeName(profile_path_).toStdString());
}

void TFormMain::WriteProfile(const char* key, const QLineEdit& box) const {
  // A failed write is not reported: the settings of this run are not kept.
  const std::string path = QFile::encodeName(profile_path_).toStdString();
  (void)data::PrepareProfileFolder(path);
  (void)data::WriteIniValue(kProfileSection, key, Text(box), path);
}

void TFormMain::FormCreate() {
  const qsizetype slash = executable_path_.lastIndexOf(u'/');
  app_dir_ = slash < 0 ? QStringLiteral("./") : executable_path_.left(slash + 1);
  // Beside the executable, unless an installed program cannot write there.
  profile_path_ = QFile::decodeName(QByteArray::fromStdString(
      data::ChooseProfilePath(QFile::encodeName(app_dir_).toStdString(), kProfileFileName,
                              data::ProfileEnvironment::FromProcess())));
  for (QLineEdit* box : {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6}) box->clear();
}

void TFormMain::FormShow() {
  Button3.setEnabled(false);
  Button4.setEnabled(false);
  const std::pair<QLineEdit*, const char*> boxes[] = {{&Edit1, "File"},     {&Edit2, "Key"},
                                                      {&Edit3, "Table"},    {&Edit4, "Field"},
                                                      {&Edit5, "OldValue"}, {&Edit6, "NewValue"}};
  for (const auto& [box, key] : boxes) box->setText(QString::fromStdString(ReadProfile(key)));
}

void TFormMain::Button1Click() {
  FileDialogRequest request;
  request.file_name = QStringLiteral("*.mdb");
  request.initial_dir = app_dir_;
  request.default_ext = QStringLiteral(".mdb");
  request.filter = QStringLiteral("Access Files (*.mdb;*.accdb)|*.mdb;*.accdb");
  if (std::optional<QString> chosen = ui_.RunOpenDialog(request, this)) Edit1.setText(*chosen);
}

void TFormMain::Button2Click() {
  if (Edit1.text().isEmpty()) {
    ShowMessage(QString::fromUtf8(kMsgChooseDatabase));
    Edit1.setFocus(Qt::OtherFocusReason);
    return;
  }
  if (Edit3.text().isEmpty()) {
    ShowMessage(QString::fromUtf8(kMsgTableRequired));
    Edit3.setFocus(Qt::OtherFocusReason);
    return;
  }
  database_.Connect(Text(Edit1), Text(Edit2));
  database_.RefreshView(Text(Edit3), Text(Edit4), Text(Edit5));
  Button3.setEnabled(true);
  Button4.setEnabled(true);
  WriteProfile("File", Edit1);
  WriteProfile("Key", Edit2);
  WriteProfile("Table", Edit3);
}

void TFormMain::Button3Click() {
  WriteProfile("Field", Edit4);
  WriteProfile("OldValue", Edit5);
  database_.RefreshView(Text(Edit3), Text(Edit4), Text(Edit5));
}

void TFormMain::Button4Click() {
  WriteProfile("NewValue", Edit6);
  database_.ReplaceRows(Text(Edit4), Text(Edit5), Text(Edit6));
  ShowMessage(QString::fromUtf8(kMsgModifyDone));
  database_.RefreshView(Text(Edit3), Text(Edit4), Text(Edit5));
}

}  // namespace app
