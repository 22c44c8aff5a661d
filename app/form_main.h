// TFormMain: the program's one window. A banner, the six input boxes with
// their four buttons (Choose, Refresh, Open, Modify), and the panel that holds
// the data grid, stacked from top to bottom with two splitters between them.
//
// The boxes are remembered in the settings profile beside the executable (in
// the user's configuration folder when an installed program cannot write
// its own folder).
// The database steps go through TFormMainDatabase; message boxes and the
// open-file dialog through UiServices. Every handler runs guarded: a failure
// it does not catch ends it and shows the application's error box, and the
// window goes on with the state the handler had reached.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "app/bevelled_panel.h"
#include "app/form_database.h"
#include "app/shape.h"
#include "app/splitter.h"
#include "app/ui_services.h"

namespace app {

inline constexpr int kFormClientWidth = 688;
inline constexpr int kFormClientHeight = 467;
inline constexpr const char* kProfileSection = "Tarnquill";
inline constexpr const char* kProfileFileName = "Tarnquill.ini";
inline constexpr const char* kMsgChooseDatabase = "请选择数据库文件";
inline constexpr const char* kMsgTableRequired = "表名不能为空";
inline constexpr const char* kMsgModifyDone = "修改完毕";
inline constexpr const char* kMsgUnknownFailure = "未知错误";

class TFormMain : public QWidget {
  Q_OBJECT

 public:
  // `executable_path` is the program's full path: the profile lives beside
  // it and message boxes take their caption from its name. Builds the
  // controls and runs FormCreate.
  TFormMain(UiServices& ui, TFormMainDatabase& database, const QString& executable_path);
  ~TFormMain() override;

  // Event handlers, callable directly (tests) or from the controls, which run
  // them through RunGuarded.
  void FormCreate();
  void FormShow();
  void Button1Click();  // Choose
  void Button2Click();  // Open
  void Button3Click();  // Refresh
  void Button4Click();  // Modify

  // Runs `handler`; a std::exception (or anything else) escaping it is shown
  // in the application's error box instead of ending the program.
  void RunGuarded(const std::function<void()>& handler);

  // The program's own messages: a box without icon, captioned with the
  // application title. Also what the database work uses for its messages.
  void ShowMessage(const QString& text);
  // The application's error box for a failure a handler did not catch.
  void ShowErrorBox(const std::string& message);

  const QString& AppDir() const { return app_dir_; }
  const QString& ProfilePath() const { return profile_path_; }
  const QString& Title() const { return title_; }

  // Places the window in the middle of the desktop (before it is shown).
  void PlaceAtDesktopCentre();

  // Puts the data grid into its area: it fills DataGrid1Host (and follows it
  // when a splitter moves) and comes after Modify in tab order. The grid
  // becomes a child of the window's area and is deleted with it.
  void PlaceDataGrid(QWidget* grid);
  QWidget* DataGrid1() const { return data_grid_; }

  // The window's controls, under the names of its definition. DataGrid1Host
  // is the area the data grid fills (inside Panel3's border).
  TPanel Panel1{this};
  TPanel Panel2{this};
  TPanel Panel3{this};
  QLabel Image1{&Panel1};
  TShape Shape1{&Panel1};
  QLabel Label5{&Panel1};
  QLabel Label6{&Panel1};
  QLabel Label1{&Panel2};
  QLineEdit Edit1{&Panel2};
  QPushButton Button1{&Panel2};
  QLabel Label3{&Panel2};
  QLineEdit Edit4{&Panel2};
  QPushButton Button3{&Panel2};
  QLabel Label2{&Panel2};
  QLineEdit Edit2{&Panel2};
  QLineEdit Edit3{&Panel2};
  QPushButton Button2{&Panel2};
  QLabel Label4{&Panel2};
  QLineEdit Edit5{&Panel2};
  QLabel Label7{&Panel2};
  QLineEdit Edit6{&Panel2};
  QPushButton Button4{&Panel2};
  QWidget DataGrid1Host{&Panel3};
  TSplitter Splitter1;
  TSplitter Splitter2;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLayout();  // form_main_layout.cc
  void SetTabOrder();  // form_main_layout.cc
  void ConnectHandlers();
  // Lays the top-aligned controls out from the top and gives Panel3 the rest.
  void Realign();
  // The largest height `control` may be dragged to, leaving Panel3 at least
  // the splitters' minimum.
  int MaxSplitSize(const QWidget* control) const;

  std::string ReadProfile(const char* key) const;
  void WriteProfile(const char* key, const QLineEdit& box) const;

  UiServices& ui_;
  TFormMainDatabase& database_;
  QString executable_path_;
  QString title_;
  QString app_dir_;
  QString profile_path_;
  bool shown_once_ = false;
  QWidget* data_grid_ = nullptr;  // owned by DataGrid1Host
};

// The text of a box as UTF-8.
std::string Text(const QLineEdit& box);

}  // namespace app
