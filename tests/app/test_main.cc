// The window tests need one application object, with the program's fonts and
// look installed before any widget exists, exactly as at start-up.
#include <gtest/gtest.h>

#include "app/look_and_feel.h"
#include "app/tarnquill_application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Headless unless told otherwise, also when ctest lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  app::TarnquillApplication application(argc, argv);
  app::InstallLookAndFeel();
  return RUN_ALL_TESTS();
}
