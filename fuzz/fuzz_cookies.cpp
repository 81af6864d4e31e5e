// MergeCookieTexts over two fuzzed cookie texts.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <string_view>

#include "text/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::string oldCookies = in.ConsumeRandomLengthString(size);
    std::string newCookies = in.ConsumeRemainingBytesAsString();
    const std::string merged = quillet::MergeCookieTexts(oldCookies, newCookies);
    if (merged != oldCookies || newCookies.find(' ') != std::string::npos ||
        merged.find("  ") != std::string::npos) {
        __builtin_trap();
    }
    // No non-empty item is left twice. (An empty last item can leave a trailing "; ".)
    std::set<std::string_view> seen;
    std::string_view rest = merged;
    while (!rest.empty()) {
        std::size_t sep = rest.find("; ");
        std::string_view item = rest.substr(0, sep);
        if (!item.empty() && !seen.insert(item).second) {
            __builtin_trap();
        }
        rest = sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 2);
    }
    quillet::CookieName(newCookies);
    return 0;
}
