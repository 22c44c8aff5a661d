// Providers by name, as a connection string's "Provider" key names them.
// Names ignore letter case. Nothing is registered until a program or test
// registers it (RegisterJetProvider() for our engine).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "data/provider/provider.h"

namespace provider {

using ProviderFactory = std::function<std::unique_ptr<Provider>()>;

// Registers (or replaces) the provider called `name`.
void RegisterProvider(const std::string& name, ProviderFactory factory);
// Registers `factory` unless `name` is registered already.
void RegisterProviderIfAbsent(const std::string& name, ProviderFactory factory);
// Removes it again; unknown names are ignored.
void UnregisterProvider(std::string_view name);
// A new instance of the provider called `name`. Throws ProviderError
// "Provider cannot be found. It may not be properly installed." otherwise.
std::unique_ptr<Provider> CreateProvider(std::string_view name);

// The name our engine answers to.
inline constexpr const char* kJetProviderName = "Microsoft.Jet.OLEDB.4.0";

}  // namespace provider
