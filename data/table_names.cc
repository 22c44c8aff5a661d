#include "data/table_names.h"

#include "data/provider/ado.h"
#include "data/provider/registry.h"

namespace data {

std::vector<std::string> ListTableNames(const std::string& path, const std::string& password) {
  if (path.empty()) return {};
  try {
    provider::ConnectionSettings settings;
    settings.data_source = path;
    settings.password = password;
    settings.mode = provider::adModeRead;
    return provider::CreateProvider(provider::kJetProviderName)->Open(settings)->TableNames();
  } catch (...) {
    // Unreadable, the wrong password, no provider, out of memory: the user
    // simply types the name.
    return {};
  }
}

}  // namespace data
