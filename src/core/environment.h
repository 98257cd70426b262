// Environment variables, looked up through one seam that tests replace.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pelloquin {

// A variable's value as UTF-8; nothing when it is not set.
using Environment = std::function<std::optional<std::string>(std::string_view name)>;

// The running process's own variables.
Environment ProcessEnvironment();

}  // namespace pelloquin
