// TextBetween, CollectBetween and TextLeftOf with fuzzed markers and text.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "text/text_between.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string left = in.ConsumeRandomLengthString(12);
    const std::string right = in.ConsumeRandomLengthString(12);
    const long long start = in.ConsumeIntegralInRange<long long>(-3, 64);
    const bool ignoreCase = in.ConsumeBool();
    const std::string text = in.ConsumeRemainingBytesAsString();

    std::string between = quillet::TextBetween(text, left, right, start, ignoreCase);
    if (between.size() > text.size()) {
        __builtin_trap();
    }
    if (!between.empty() && !ignoreCase && text.find(between) == std::string::npos) {
        __builtin_trap();
    }
    int calls = 0;
    auto segments = quillet::CollectBetween(text, left, right, [&] { ++calls; });
    std::size_t total = 0;
    for (const std::string& s : segments) {
        if (s.empty() || text.find(s) == std::string::npos) {
            __builtin_trap();
        }
        total += s.size();
    }
    if (total > text.size() || calls < static_cast<int>(segments.size()) * 3) {
        __builtin_trap();
    }
    std::string leftOf = quillet::TextLeftOf(text, left);
    if (text.compare(0, leftOf.size(), leftOf) != 0) {
        __builtin_trap();
    }
    return 0;
}
