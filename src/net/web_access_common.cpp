#include "net/web_access_common.h"

#include <array>

#include "text/text_util.h"

namespace quillet::net {

std::string_view VerbOf(int method) {
    static constexpr std::array<std::string_view, 8> kVerbs = {
        "GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return method >= 0 && method < 8 ? kVerbs[static_cast<std::size_t>(method)] : kVerbs[0];
}

bool ContainsText(std::string_view text, std::string_view needle, bool ignoreCase) {
    return findText(text, needle, 0, ignoreCase) != kNotFound;
}

}  // namespace quillet::net
