#pragma once
// Small helpers shared by the request-operation tests.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "raw_server.h"

namespace quillet::testing {

inline std::string HostLine(const RawServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

// A loopback port with nobody listening on it.
inline int ClosedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline constexpr const char* kDirectAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
inline constexpr const char* kObjectAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

}  // namespace quillet::testing
