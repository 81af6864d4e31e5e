#include "net/url_split.h"

#include <algorithm>

#include "text/read_int.h"
#include "text/text_between.h"
#include "text/text_util.h"

namespace quillet {

namespace {

std::string asciiLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

}  // namespace

std::string UrlHost(std::string_view address, bool keepPort) {
    std::string text = asciiLower(address);
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    std::string_view scheme = "https://";
    if (!text.starts_with(scheme)) {
        scheme = "http://";
        if (text.find(scheme) == std::string::npos) {
            text.insert(0, scheme);
        }
    }
    std::string host = TextBetween(text, scheme, "/");
    if (!keepPort) {
        host = host.substr(0, host.find(':'));
    }
    return host;
}

int UrlPort(std::string_view address) {
    std::string host = UrlHost(address, true);
    std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
        long long port = ReadInt(std::string_view(host).substr(colon + 1));
        return port < 0 || port > 65535 ? -1 : static_cast<int>(port);
    }
    return asciiLower(address).starts_with("https") ? 443 : 80;
}

std::string UrlPath(std::string_view address) {
    std::string host = UrlHost(address, false);
    // The host is looked for after the scheme: a short host such as "ht" would otherwise be
    // found inside "http://" and the path would start at the scheme's slashes.
    std::size_t from = 0;
    if (findText(address, "https://", 0, true) == 0) {
        from = 8;
    } else if (std::size_t scheme = findText(address, "http://", 0, true); scheme != kNotFound) {
        from = scheme + 7;
    }
    std::size_t at = host.empty() ? kNotFound : findText(address, host, from, true);
    std::size_t slash = address.find('/', at == kNotFound ? from : at);
    if (slash == std::string_view::npos) {
        return "/";
    }
    return std::string(address.substr(slash));
}

}  // namespace quillet
