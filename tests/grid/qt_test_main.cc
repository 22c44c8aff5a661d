// The grid's Qt tests share one application object, alive for the whole run,
// with "宋体" mapped to the bitmap CJK font as the program does at start-up.
#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QFont::insertSubstitution(QString::fromUtf8("宋体"), QStringLiteral("AR PL UMing CN"));
  return RUN_ALL_TESTS();
}
