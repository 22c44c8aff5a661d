#include "app/tarnquill_application.h"

#include <exception>

#include "app/form_main.h"

namespace app {

TarnquillApplication::TarnquillApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TarnquillApplication::SetErrorHandler(std::function<void(const std::string&)> handler) {
  error_handler_ = std::move(handler);
}

bool TarnquillApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (error_handler_) error_handler_(e.what());
  } catch (...) {
    if (error_handler_) error_handler_(kMsgUnknownFailure);
  }
  return false;
}

}  // namespace app
