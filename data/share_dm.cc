#include "data/share_dm.h"

#include "data/provider/connection_string.h"
#include "data/provider/registry.h"

namespace data {

std::string BuildConnectionString(const std::string& file, const std::string& password) {
  // Plain values go in as typed; one holding ";", "=" or a quote would
  // split the string or smuggle in settings, so it is quoted.
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + provider::QuoteConnectionValue(file) +
         ";Persist Security Info=False;Jet OLEDB:Database Password=" +
         provider::QuoteConnectionValue(password);
}

TShareDataModule::TShareDataModule() {
  ADOConnection1.SetConnectionString(
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Tarnquill.mdb;Persist Security Info=False");
  ADOConnection1.SetMode(cmShareDenyNone);
  ADOConnection1.SetProvider(provider::kJetProviderName);
  ADOConnection1.SetCursorLocation(clUseClient);
  ADOConnection1.SetLoginPrompt(false);
  ADOQueryTemp.SetConnection(&ADOConnection1);
}

}  // namespace data
