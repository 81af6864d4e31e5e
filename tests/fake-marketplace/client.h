#pragma once
// A small libcurl client for the fake marketplace's own tests: the same library the program
// uses, so host names under .localhost resolve to loopback and TLS is exercised for real.

#include <curl/curl.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quillet::fake::test {

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string headers;  // raw, of the last response
    std::string body;
    std::chrono::milliseconds elapsed{0};
    long httpVersion = 0;
};

struct Request {
    std::string method = "GET";
    std::string body;
    std::vector<std::string> headers;  // "Name: value" lines, in order
    std::string caPem;                 // verify TLS against this certificate when not empty
    bool followRedirects = false;
    long timeoutMs = 20000;
};

inline Reply fetch(const std::string& url, const Request& request = {}) {
    Reply reply;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    }
    curl_slist* list = nullptr;
    for (const auto& h : request.headers) {
        list = curl_slist_append(list, h.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_blob blob{};
    if (request.caPem.empty()) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    } else {
        blob.data = const_cast<char*>(request.caPem.data());
        blob.len = request.caPem.size();
        blob.flags = CURL_BLOB_COPY;
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
    }
    auto append = +[](char* data, size_t size, size_t n, void* out) -> size_t {
        static_cast<std::string*>(out)->append(data, size * n);
        return size * n;
    };
    auto appendHeader = +[](char* data, size_t size, size_t n, void* out) -> size_t {
        std::string line(data, size * n);
        auto* headers = static_cast<std::string*>(out);
        if (line.rfind("HTTP/", 0) == 0) {
            headers->clear();  // keep the last response of a redirect chain
        }
        headers->append(line);
        return size * n;
    };
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, appendHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    const auto start = std::chrono::steady_clock::now();
    reply.code = curl_easy_perform(curl);
    reply.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_getinfo(curl, CURLINFO_HTTP_VERSION, &reply.httpVersion);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return reply;
}

// The text between the first left marker and the next right marker, empty when either is
// missing: how the program cuts most answers.
inline std::string between(const std::string& text, const std::string& left,
                           const std::string& right) {
    const auto a = text.find(left);
    if (a == std::string::npos) {
        return "";
    }
    const auto b = text.find(right, a + left.size());
    return b == std::string::npos ? "" : text.substr(a + left.size(), b - a - left.size());
}

// Every text between a left and the next right marker, each search going on after the right
// marker, as a global regular expression "left(.*?)right" finds them.
inline std::vector<std::string> allBetween(const std::string& text, const std::string& left,
                                           const std::string& right) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (true) {
        const auto a = text.find(left, pos);
        if (a == std::string::npos) {
            break;
        }
        const auto b = text.find(right, a + left.size());
        if (b == std::string::npos) {
            break;
        }
        out.push_back(text.substr(a + left.size(), b - a - left.size()));
        pos = b + right.size();
    }
    return out;
}

}  // namespace quillet::fake::test
