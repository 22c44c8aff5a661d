#include "data/provider/connection.h"

#include "data/provider/connection_string.h"
#include "data/provider/registry.h"

namespace provider {

void Connection::Open(const std::string& connection_string, const std::string& /*user*/,
                      const std::string& /*password*/, int /*options*/) {
  if (store_) {
    throw ProviderError("Operation is not allowed when the object is open.",
                        static_cast<int32_t>(0x800A0E79u));
  }
  if (!connection_string.empty()) connection_string_ = connection_string;
  ConnectionString parsed = ConnectionString::Parse(connection_string_);
  std::string provider_name = parsed.Get("Provider").value_or(provider_);
  if (provider_name.empty()) provider_name = "MSDASQL";  // what an unnamed provider means
  std::unique_ptr<Provider> provider = CreateProvider(provider_name);
  ConnectionSettings settings;
  settings.data_source = parsed.Get("Data Source").value_or("");
  settings.password = parsed.Get("Jet OLEDB:Database Password").value_or("");
  settings.mode = mode_;
  store_ = provider->Open(settings);
}

void Connection::Close() { store_.reset(); }

Store& Connection::store() {
  if (!store_) {
    throw ProviderError("Operation is not allowed when the object is closed.",
                        static_cast<int32_t>(0x800A0E78u));
  }
  return *store_;
}

}  // namespace provider
