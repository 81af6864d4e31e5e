#pragma once
// File operations of the handlers. Paths are UTF-8 texts joined with '/'.

#include <string>
#include <string_view>

#include "ui/ui.h"

namespace quillet {

// The folder of the executable when it is writable, otherwise the per-user data folder.
// Writers and readers both use this, so they always agree.
std::string ProgramFolder();
// Joins a folder and a name with the path separator.
std::string JoinPath(std::string_view folder, std::string_view name);

// Creates one folder; an existing folder is kept unchanged.
void CreateFolder(const std::string& path);
// Creates or replaces the file with exactly these bytes. In a stopped job it throws
// StopRequested instead of writing.
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// The whole file, empty when it cannot be read.
Bytes ReadFileBytes(const std::string& path);
// The name of the first file in the pattern's folder whose name matches the pattern's last
// component, in which '*' stands for any run of characters; empty when none does.
std::string FindFirstMatchingFile(const std::string& pattern);

// A folder or file name that came from the network, made safe to use: no separator, no NUL or
// control characters, not "." or "..", at most 255 bytes (cut on a character boundary).
std::string SafeFileName(std::string_view name);
// The leading letters and digits of an extension taken from an address ("jpg?x=1" gives "jpg").
std::string SafeExtension(std::string_view extension);

}  // namespace quillet
