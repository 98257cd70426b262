// Environment variables, looked up through one seam that tests replace.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pelloquin {

// A variable's value as UTF-8; nothing when it is not set.
using Environment = std::function<std::optional<std::string>(std::string_view name)>;

// The running process's own variables.
Environment ProcessEnvironment();

// The variable when it holds an absolute path; empty otherwise, since a
// relative one names no place (the XDG rules ignore it too).
std::filesystem::path AbsolutePathIn(const Environment& environment, std::string_view name);

// An XDG base folder: `variable` when it holds an absolute path, else
// `below_home` in $HOME ("~/.config" for XDG_CONFIG_HOME); empty without either.
std::filesystem::path XdgFolder(const Environment& environment, std::string_view variable,
                                std::string_view below_home);

}  // namespace pelloquin
