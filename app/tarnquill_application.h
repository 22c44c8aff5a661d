// TarnquillApplication: the application object. Its one addition to
// QApplication is a last line of defence: a C++ exception escaping any event
// handler is shown by the error handler instead of ending the program.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace app {

class TarnquillApplication : public QApplication {
  Q_OBJECT

 public:
  TarnquillApplication(int& argc, char** argv);

  // Called with the failure's message; without one, the failure is dropped.
  void SetErrorHandler(std::function<void(const std::string&)> handler);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  std::function<void(const std::string&)> error_handler_;
};

}  // namespace app
