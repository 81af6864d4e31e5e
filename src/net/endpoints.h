#pragma once
// Every outside host the program talks to, in one table. The defaults are the live hosts; the
// environment variable QUILLET_ENDPOINTS may name a file of key=value lines that replaces
// entries (tests and the demo point everything at the fake marketplace on loopback).
//
// Keys: mobile_search, suggest, taobao_item, tmall_item, tmall_title_domain, desktop_search,
// taobao_rate, tmall_rate, lookup_service, update, home_page. Values are scheme + host
// (+ port), except tmall_title_domain, which is a bare domain.

#include <string>
#include <string_view>

namespace quillet {

// The value for key; the empty text for a key the table does not hold. The file is read on
// first use; safe to call from any thread.
std::string Endpoint(std::string_view key);

// Reads QUILLET_ENDPOINTS again (tests change the variable between cases).
void ReloadEndpoints();

}  // namespace quillet
