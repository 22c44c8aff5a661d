// The grid's Qt tests (the widget, the canvas) need one application object;
// they run headless unless told otherwise, with "宋体" mapped to the
// installed face that has its metrics, as the program does at start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QFont::insertSubstitution(QString::fromUtf8("宋体"), QStringLiteral("AR PL UMing CN"));
  return RUN_ALL_TESTS();
}
