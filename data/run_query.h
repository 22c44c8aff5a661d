// RunQuery and the view's statement: the two routines every command that
// lists rows goes through (the window's view, Modify, tarnquill-cli replace).
#pragma once

#include <functional>
#include <string>

#include "data/ado_query.h"

namespace data {

// Shows one of the program's own messages (a box in the window, a line on
// the command line). The data layer never shows anything itself.
using ShowMessageFn = std::function<void(const std::string& text)>;

inline constexpr const char* kMsgOpenFailed = "数据库打开失败";

// "Select * From " + table, and when `field` is not empty the condition
// " Where InStr(" + field + ",'" + search + "')". Table and field go in as
// typed (a user may bracket a name); every single quote of the search text
// is doubled so that the literal holds exactly the text typed.
std::string ViewStatement(const std::string& table, const std::string& field,
                          const std::string& search);

// Closes `query`, makes `statement` its one line and opens it. Returns true
// when it opened. Any failure is answered by showing `failure_message`
// (never the failure's own text) and returns false, the query left closed
// with the new statement. Callers that can say more than the fixed message
// (the command line) get the failure's own text in `failure_text`.
bool RunQuery(TADOQuery& query, const std::string& statement, const std::string& failure_message,
              const ShowMessageFn& show_message, std::string* failure_text = nullptr);

}  // namespace data
