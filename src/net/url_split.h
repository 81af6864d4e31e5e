#pragma once
// The address splitting of the session request: the scheme may be missing (http is assumed),
// the host is lower-cased, an empty path is "/".

#include <string>
#include <string_view>

namespace quillet {

// Host name in lower case; followed by ":" and the port when keepPort is set and the address
// names a port.
std::string UrlHost(std::string_view address, bool keepPort = false);
// The port the address names, else 443 for an https address and 80 otherwise; -1 when the
// named port is out of range.
int UrlPort(std::string_view address);
// Path and query as sent in the request line; "/" when the address has no path.
std::string UrlPath(std::string_view address);

}  // namespace quillet
