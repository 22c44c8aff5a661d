// The provider served by our engine (jet/), under the name
// "Microsoft.Jet.OLEDB.4.0".
//
// A statement's rows are found by one scan that reads only the condition's
// column; the rowset keeps each selected row's id and decodes a row when it
// is read.
#pragma once

#include <memory>

#include "data/provider/provider.h"

namespace provider {

std::unique_ptr<Provider> MakeJetProvider();

// Registers MakeJetProvider under kJetProviderName unless that name is
// already registered (tests put their own provider there).
void RegisterJetProvider();

}  // namespace provider
