// TShareDataModule: the shared data module holding the connection
// ADOConnection1 and the scratch query ADOQueryTemp.
#pragma once

#include <string>

#include "data/ado_connection.h"
#include "data/ado_query.h"

namespace data {

// The connection string for a database file and its password. A path or
// password holding ";", "=" or a quote is quoted so that the connection
// string reads back the same value; other values go in as typed.
std::string BuildConnectionString(const std::string& file, const std::string& password);

class TShareDataModule {
 public:
  // Sets the connection up as the module's definition does: stored default
  // string, share mode deny-none, the Jet provider (which the program
  // registers: provider::RegisterJetProvider), client cursors, no
  // log-in prompt, not connected; the scratch query names the connection.
  TShareDataModule();
  TShareDataModule(const TShareDataModule&) = delete;
  TShareDataModule& operator=(const TShareDataModule&) = delete;

  TADOConnection ADOConnection1{"ADOConnection1"};
  TADOQuery ADOQueryTemp{"ADOQueryTemp"};
};

}  // namespace data
