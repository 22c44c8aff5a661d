// Test doubles for the window's seams: a UiServices that records every box
// and answers the open-file dialog from a script, and a database whose steps
// record their calls and can be told to fail.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/form_data.h"
#include "app/form_database.h"
#include "app/form_main.h"
#include "app/ui_services.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace app::testing {

class FakeUiServices : public UiServices {
 public:
  void ShowMessageBox(const MessageBoxRequest& request) override {
    boxes.push_back(request);
    events.push_back("box " + request.text.toStdString());
    if (on_box) on_box(request);
  }
  std::optional<QString> RunOpenDialog(const FileDialogRequest& request, QWidget*) override {
    dialogs.push_back(request);
    if (answers.empty()) return std::nullopt;
    std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
  }

  void ShowProgress(const ProgressRequest& request, QWidget*) override {
    progress.push_back(request);
    if (events.empty() || events.back() != "progress") events.push_back("progress");
  }
  void HideProgress() override { events.push_back("hide progress"); }

  // The boxes shown since the last call, "!" marking the error box.
  std::vector<std::string> TakeBoxes() {
    std::vector<std::string> out;
    for (const MessageBoxRequest& b : boxes) {
      out.push_back((b.icon == MessageIcon::kError ? "!" : "") + b.text.toStdString());
    }
    boxes.clear();
    return out;
  }

  std::vector<MessageBoxRequest> boxes;
  std::vector<ProgressRequest> progress;
  // Boxes and progress in the order they came: "box TEXT", "progress" (for a
  // run of updates), "hide progress".
  std::vector<std::string> events;
  std::vector<FileDialogRequest> dialogs;
  std::deque<std::optional<QString>> answers;  // nullopt: the user cancels
  std::function<void(const MessageBoxRequest&)> on_box;
};

class FakeDatabase : public TFormMainDatabase {
 public:
  void Connect(const std::string& file, const std::string& password) override {
    calls.push_back("Connect(" + file + "," + password + ")");
    if (fail_connect) throw std::runtime_error(*fail_connect);
  }
  void RefreshView(const std::string& table, const std::string& field,
                   const std::string& search) override {
    calls.push_back("RefreshView(" + table + "," + field + "," + search + ")");
    if (fail_view) throw std::runtime_error(*fail_view);
  }
  void ReplaceRows(const std::string& field, const std::string& old_value,
                   const std::string& new_value) override {
    calls.push_back("ReplaceRows(" + field + "," + old_value + "," + new_value + ")");
    if (fail_replace) throw std::runtime_error(*fail_replace);
  }

  std::vector<std::string> calls;
  std::optional<std::string> fail_connect, fail_view, fail_replace;
};

// Types the field and search boxes, and the replacement box when given.
inline void TypeSearch(TFormMain& form, const char* field, const char* search,
                       const char* replacement = nullptr) {
  form.Edit4.setText(QString::fromUtf8(field));
  form.Edit5.setText(QString::fromUtf8(search));
  if (replacement) form.Edit6.setText(QString::fromUtf8(replacement));
}

// Types the file and table boxes, and the password box when given, and
// presses Open.
inline void OpenTable(TFormMain& form, const std::string& file, const std::string& table,
                      const char* password = nullptr) {
  form.Edit1.setText(QString::fromStdString(file));
  if (password) form.Edit2.setText(QString::fromUtf8(password));
  form.Edit3.setText(QString::fromStdString(table));
  form.Button2.click();
}

// A window whose executable "lives" in a fresh temporary folder, so that its
// profile starts absent.
struct FormFixture {
  QTemporaryDir dir;
  FakeUiServices ui;
  FakeDatabase database;
  TFormMain form{ui, database, dir.path() + "/TarnQuill.exe"};

  QString ProfileFile() const { return dir.path() + "/Tarnquill.ini"; }
};

// The window over the real database steps, its executable in a fresh
// temporary folder; the steps' messages show in the window's boxes, which
// `Ui` records.
template <class Ui = FakeUiServices>
struct DataFormFixture {
  DataFormFixture() {
    database.SetShowMessage(
        [this](const std::string& text) { form.ShowMessage(QString::fromStdString(text)); });
    database.CreateShareDataModule();
  }

  std::vector<std::string> Boxes() { return ui.TakeBoxes(); }
  grid::TDataGrid& Core() { return database.View().DataGrid1; }
  // The grid's footer under the indicator: the number of records shown.
  std::string Footer() { return Core().FooterValueText(0, Core().Columns()[0]); }

  QTemporaryDir dir;
  Ui ui;
  TFormMainData database;
  TFormMain form{ui, database, dir.path() + "/Tarnquill"};
};

}  // namespace app::testing
