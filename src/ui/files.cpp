#include "ui/files.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "ui/jobs.h"

namespace fs = std::filesystem;

namespace quillet {

namespace {

std::string executableFolder() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return exe.parent_path().string();
}

std::string userDataFolder() {
    // Same place as the per-user application data folder of the window toolkit.
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = "/tmp";
    }
    return base + "/quillet";
}

// Matches '*' wildcards against a whole name.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

void checkStop() {
    if (JobState* job = CurrentJob()) {
        job->check();
    }
}

}  // namespace

std::string ProgramFolder() {
    static const std::string folder = [] {
        std::string exe = executableFolder();
        if (!exe.empty() && ::access(exe.c_str(), W_OK) == 0) {
            return exe;
        }
        std::string data = userDataFolder();
        std::error_code error;
        fs::create_directories(data, error);
        return data;
    }();
    return folder;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

void CreateFolder(const std::string& path) {
    checkStop();
    std::error_code error;
    fs::create_directory(path, error);
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    checkStop();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FindFirstMatchingFile(const std::string& pattern) {
    fs::path full(pattern);
    std::string namePattern = full.filename().string();
    std::error_code error;
    fs::directory_iterator it(full.parent_path().empty() ? fs::path(".") : full.parent_path(),
                              error);
    if (error) {
        return {};
    }
    // Listing order is the file system's; take names sorted so the choice is stable.
    std::vector<std::string> names;
    for (const auto& entry : it) {
        if (entry.is_regular_file(error)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (wildcardMatch(namePattern, name)) {
            return name;
        }
    }
    return {};
}

std::string SafeFileName(std::string_view name) {
    std::string safe;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '/' || c == '\\') {
            safe += '_';
        } else {
            safe += c;
        }
    }
    if (safe.size() > 255) {
        size_t cut = 255;
        // Step back to the start of a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        safe.resize(cut);
    }
    if (safe.empty() || safe == "." || safe == "..") {
        safe = "_" + safe;
    }
    return safe;
}

std::string SafeExtension(std::string_view extension) {
    std::string safe;
    for (char c : extension) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            safe += c;
        } else {
            break;
        }
    }
    return safe;
}

}  // namespace quillet
