#include "data/provider/registry.h"

#include <mutex>
#include <utility>
#include <vector>

#include "text/case_fold.h"

namespace provider {
namespace {

struct Entry {
  std::string name;
  ProviderFactory factory;
};

std::vector<Entry>& Entries() {
  static std::vector<Entry> entries;
  return entries;
}

std::mutex& Lock() {
  static std::mutex m;
  return m;
}

}  // namespace

void RegisterProvider(const std::string& name, ProviderFactory factory) {
  std::lock_guard<std::mutex> lock(Lock());
  for (Entry& e : Entries()) {
    if (text::EqualsIgnoreAsciiCase(e.name, name)) {
      e.factory = std::move(factory);
      return;
    }
  }
  Entries().push_back({name, std::move(factory)});
}

void RegisterProviderIfAbsent(const std::string& name, ProviderFactory factory) {
  std::lock_guard<std::mutex> lock(Lock());
  for (const Entry& e : Entries()) {
    if (text::EqualsIgnoreAsciiCase(e.name, name)) return;
  }
  Entries().push_back({name, std::move(factory)});
}

void UnregisterProvider(std::string_view name) {
  std::lock_guard<std::mutex> lock(Lock());
  auto& entries = Entries();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (text::EqualsIgnoreAsciiCase(it->name, name)) {
      entries.erase(it);
      return;
    }
  }
}

std::unique_ptr<Provider> CreateProvider(std::string_view name) {
  ProviderFactory factory;
  {
    std::lock_guard<std::mutex> lock(Lock());
    for (const Entry& e : Entries()) {
      if (text::EqualsIgnoreAsciiCase(e.name, name)) factory = e.factory;
    }
  }
  if (!factory) {
    throw ProviderError("Provider cannot be found. It may not be properly installed.",
                        static_cast<int32_t>(0x800A0E7Au));
  }
  return factory();
}

}  // namespace provider
