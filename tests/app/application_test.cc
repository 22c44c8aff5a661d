#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <stdexcept>

#include "app/tarnquill_application.h"

namespace app {
namespace {

class ThrowingObject : public QObject {
 public:
  bool event(QEvent*) override { throw std::runtime_error("ADOQuery1: Field 'x' not found"); }
};

// Handlers are guarded one by one; the application object catches whatever
// still escapes an event so that the program keeps running.
TEST(TarnquillApplicationTest, FailureEscapingAnEventReachesTheErrorHandler) {
  auto* application = qobject_cast<TarnquillApplication*>(QCoreApplication::instance());
  ASSERT_NE(application, nullptr);
  std::vector<std::string> shown;
  application->SetErrorHandler([&](const std::string& message) { shown.push_back(message); });
  ThrowingObject target;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
  application->SetErrorHandler(nullptr);
  EXPECT_EQ(shown, std::vector<std::string>{"ADOQuery1: Field 'x' not found"});
}

}  // namespace
}  // namespace app
