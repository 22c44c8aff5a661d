// open_view_bench FILE TABLE [FIELD SEARCH]: the window's 打开 on a large
// table, as a user meets it. Builds the main window as the program does
// (offscreen unless a display is asked for), fills the boxes, presses 打开
// and paints the grid's first screen. Prints one line:
//   <seconds from the press to the painted grid> <rows in the footer's count>
//   <peak resident KB of the whole process> <resident KB before the press>
//   <CPU seconds from the press to the painted grid>
// Exits with 1 when the window reported a failure or shows no rows.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/form_data.h"
#include "app/form_grid.h"
#include "app/form_main.h"
#include "app/look_and_feel.h"
#include "app/progress.h"
#include "app/qt_ui_services.h"
#include "data/regional.h"

namespace {

// Message boxes would wait for a user: they are printed and counted instead.
// Progress goes to the real indication.
class BenchUi : public app::UiServices {
 public:
  void ShowMessageBox(const app::MessageBoxRequest& request) override {
    std::fprintf(stderr, "message box: %s\n", request.text.toStdString().c_str());
    ++boxes;
  }
  std::optional<QString> RunOpenDialog(const app::FileDialogRequest&, QWidget*) override {
    return std::nullopt;
  }
  void ShowProgress(const app::ProgressRequest& request, QWidget* parent) override {
    real_.ShowProgress(request, parent);
  }
  void HideProgress() override { real_.HideProgress(); }

  int boxes = 0;

 private:
  app::QtUiServices real_;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: open_view_bench FILE TABLE [FIELD SEARCH]\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  app::InstallLookAndFeel();
  data::SetDefaultRegionalSettings(data::SystemRegionalSettings());
  // The profile goes beside a pretend executable in a folder of its own.
  QTemporaryDir home;
  BenchUi ui;
  app::TFormMainData database;
  app::TFormMain form(ui, database, home.filePath(QStringLiteral("tarnquill")));
  grid::DataGridWidget& grid = app::PlaceDataGrid1(form, database.View().DataGrid1);
  database.SetShowMessage(
      [&form](const std::string& text) { form.ShowMessage(QString::fromStdString(text)); });
  database.CreateShareDataModule();
  app::TProgressGate progress(ui, &form, form.Title());
  database.SetProgressSink(&progress);
  form.show();
  QApplication::processEvents();

  form.Edit1.setText(QString::fromLocal8Bit(argv[1]));
  form.Edit3.setText(QString::fromLocal8Bit(argv[2]));
  form.Edit4.setText(argc == 5 ? QString::fromLocal8Bit(argv[3]) : QString());
  form.Edit5.setText(argc == 5 ? QString::fromLocal8Bit(argv[4]) : QString());
  const long before_kb = ResidentKb();
  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  form.Button2.click();
  grid.viewport()->repaint();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const double cpu = CpuSeconds() - cpu_start;
  const long rows = database.View().ADOQuery1.RecordCount();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.3f %ld %ld %ld %.3f\n", seconds, rows, usage.ru_maxrss, before_kb, cpu);
  return ui.boxes == 0 && rows > 0 ? 0 : 1;
}
