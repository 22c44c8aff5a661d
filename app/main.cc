// tarnquill: start-up. The application object, then the fonts and look, then
// the main window; the loop runs until the window is closed. Nothing is saved
// at exit.
#include <QIcon>

#include "app/banner_picture.h"
#include "app/box_completions.h"
#include "app/form_data.h"
#include "app/form_grid.h"
#include "app/form_main.h"
#include "app/look_and_feel.h"
#include "app/progress.h"
#include "app/qt_ui_services.h"
#include "app/tarnquill_application.h"
#include "data/regional.h"
#include "data/table_names.h"

int main(int argc, char** argv) {
  app::TarnquillApplication application(argc, argv);
  app::InstallLookAndFeel();  // before any widget exists
  application.setWindowIcon(QIcon(app::BannerPicture()));
  QGuiApplication::setDesktopFileName(QStringLiteral("tarnquill"));

  app::QtUiServices ui;
  data::SetDefaultRegionalSettings(data::SystemRegionalSettings());
  app::TFormMainData database;
  app::TFormMain form_main(ui, database, QCoreApplication::applicationFilePath());
  app::PlaceDataGrid1(form_main, database.View().DataGrid1);
  database.SetShowMessage([&form_main](const std::string& text) {
    form_main.ShowMessage(QString::fromStdString(text));
  });
  database.CreateShareDataModule();  // after the window, as its view query expects
  app::TProgressGate progress(ui, &form_main, form_main.Title());
  database.SetProgressSink(&progress);
  app::TBoxCompletions completions(form_main, data::ListTableNames,
                                   [&database] { return database.FieldNames(); });
  application.SetErrorHandler(
      [&form_main](const std::string& message) { form_main.ShowErrorBox(message); });
  form_main.PlaceAtDesktopCentre();
  form_main.show();
  return application.exec();
}
