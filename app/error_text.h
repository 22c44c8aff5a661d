// The text of the application's error box.
#pragma once

#include <string>
#include <string_view>

namespace app {

// Returns `message` with a full stop appended when its last character sorts
// after the full stop ("abc" gives "abc.", while "abc.", "abc)" and "" stay as
// they are; any non-ASCII last character gets one). `message` is UTF-8.
std::string ErrorBoxText(std::string_view message);

}  // namespace app
