#include <gtest/gtest.h>

#include "net/url_split.h"

namespace quillet {
namespace {

struct SplitRow {
    const char* address;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

TEST(UrlSplit, Table) {
    const SplitRow rows[] = {
        {"host/a", "host", "host", 80, "/a"},
        {"http://Host:8080/x?y=1", "host", "host:8080", 8080, "/x?y=1"},
        {"http://host", "host", "host", 80, "/"},
        {"http://host/", "host", "host", 80, "/"},
        {"https://Shop.Example.COM", "shop.example.com", "shop.example.com", 443, "/"},
        {"HTTPS://h/p", "h", "h", 443, "/p"},
        {"https://h:8443/a/b?c=/d", "h", "h:8443", 8443, "/a/b?c=/d"},
        {"Example.com:81", "example.com", "example.com:81", 81, "/"},
        // The path keeps its letter case; only the host is lower-cased.
        {"http://HOST/Path/File.HTM", "host", "host", 80, "/Path/File.HTM"},
        // A host that also occurs inside the scheme must not be found there.
        {"http://ht/x", "ht", "ht", 80, "/x"},
        {"https://tt/y", "tt", "tt", 443, "/y"},
        {"http://h:99999/", "h", "h:99999", -1, "/"},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(UrlHost(row.address), row.host);
        EXPECT_EQ(UrlHost(row.address, true), row.hostWithPort);
        EXPECT_EQ(UrlPort(row.address), row.port);
        EXPECT_EQ(UrlPath(row.address), row.path);
    }
}

}  // namespace
}  // namespace quillet
