#include "app/form_database.h"

#include <stdexcept>

namespace app {

void TDatabaseNotWired::Connect(const std::string&, const std::string&) {
  throw std::runtime_error(kMessage);
}

void TDatabaseNotWired::RefreshView(const std::string&, const std::string&, const std::string&) {
  throw std::runtime_error(kMessage);
}

void TDatabaseNotWired::ReplaceRows(const std::string&, const std::string&, const std::string&) {
  throw std::runtime_error(kMessage);
}

}  // namespace app
