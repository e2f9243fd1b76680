#pragma once

#include <string>
#include <string_view>
#include <vector>

// Path rules of the folder tree. Paths are native byte strings with "/" as the separator.
namespace marlinote::folder_path {

// `folder` and `name` joined with exactly one "/" ("/" + "a" is "/a", "/m/" + "a" is "/m/a").
std::string join(std::string_view folder, std::string_view name);

// Trailing "/" removed, except that "/" (or any run of "/" alone) stays "/".
std::string withoutTrailingSlash(std::string_view path);

// `path` ending in exactly one "/".
std::string withTrailingSlash(std::string_view path);

// `path` with every run of "/" made one "/"; such a path names the same folder.
std::string withSingleSlashes(std::string_view path);

// When `path` is `folder` itself or lies below it, the folder names that lead from `folder`
// down to `path`; otherwise false. Both are compared byte for byte after
// `withSingleSlashes`, and a trailing "/" makes no difference.
bool namesBelow(std::string_view folder, std::string_view path, std::vector<std::string>& names);

// Whether a folder of this name never gets an expand button ("System Volume Information"
// in any letter case, "lost+found").
bool isNeverExpanded(std::string_view name);

}  // namespace marlinote::folder_path
