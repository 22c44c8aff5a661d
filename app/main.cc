// tarnquill: start-up. The application object, then the fonts and look, then
// the main window; the loop runs until the window is closed. Nothing is saved
// at exit.
#include "app/form_database.h"
#include "app/form_main.h"
#include "app/look_and_feel.h"
#include "app/qt_ui_services.h"
#include "app/tarnquill_application.h"

int main(int argc, char** argv) {
  app::TarnquillApplication application(argc, argv);
  app::InstallLookAndFeel();  // before any widget exists

  app::QtUiServices ui;
  app::TDatabaseNotWired database;
  app::TFormMain form_main(ui, database, QCoreApplication::applicationFilePath());
  application.SetErrorHandler(
      [&form_main](const std::string& message) { form_main.ShowErrorBox(message); });
  form_main.PlaceAtDesktopCentre();
  form_main.show();
  return application.exec();
}
