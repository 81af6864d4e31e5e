#include "net/endpoints.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

namespace quillet {

namespace {

using Table = std::map<std::string, std::string, std::less<>>;

Table defaultTable() {
    // The outside lookup service, the update host and the home page have no public host of
    // their own here; the reserved .invalid domain keeps a missing override from reaching
    // anybody.
    return {
        {"mobile_search", "https://s.m.taobao.com"},
        {"suggest", "https://suggest.taobao.com"},
        {"taobao_item", "https://item.taobao.com"},
        {"tmall_item", "https://detail.tmall.com"},
        {"tmall_title_domain", "tmall.com"},
        {"desktop_search", "https://s.taobao.com"},
        {"taobao_rate", "https://rate.taobao.com"},
        {"tmall_rate", "https://rate.tmall.com"},
        {"lookup_service", "https://lookup.quillet.invalid"},
        {"update", "http://update.quillet.invalid"},
        {"home_page", "http://www.quillet.invalid"},
    };
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

Table loadTable() {
    Table table = defaultTable();
    const char* path = std::getenv("QUILLET_ENDPOINTS");
    if (path == nullptr || *path == '\0') {
        return table;
    }
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = trim(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = trim(text.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        table[std::string(key)] = std::string(trim(text.substr(equals + 1)));
    }
    return table;
}

std::mutex tableMutex;
std::optional<Table> table;

}  // namespace

std::string Endpoint(std::string_view key) {
    std::lock_guard lock(tableMutex);
    if (!table) {
        table = loadTable();
    }
    auto found = table->find(key);
    return found == table->end() ? std::string() : found->second;
}

void ReloadEndpoints() {
    Table fresh = loadTable();
    std::lock_guard lock(tableMutex);
    table = std::move(fresh);
}

}  // namespace quillet
