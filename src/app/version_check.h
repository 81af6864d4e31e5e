#pragma once
// At start the program compares its own version with the published one and ends when they
// differ, after sending the user to the maker's site.

#include <string>
#include <string_view>

#include "ui/ui.h"

namespace quillet {

inline constexpr std::string_view kOwnVersion = "1.0";

// The version file's body read as text, up to its first zero byte.
std::string PublishedVersion(std::string_view body);
// True when the published version is exactly the program's own.
bool VersionIsCurrent(std::string_view body);

void CheckVersionAtStart(Ui& ui);

}  // namespace quillet
