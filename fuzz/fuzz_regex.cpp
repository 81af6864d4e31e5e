// Every pattern the program uses, run over a fuzzed subject.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "text/regex_matcher.h"

namespace {

struct Use {
    const char* pattern;
    bool quoteMarker;
};

const Use kPatterns[] = {
    {"<meta.+?charset=[^\\w]?([-\\w]+)", false},
    {"#\xE5\xBC\x95\xE5\x8F\xB7(.*?)#\xE5\xBC\x95\xE5\x8F\xB7,", true},
    {"<img id=\"J_ImgBooth\" alt=\"(.*?)\" src=\"(.*?)\" ", false},
    {"<a href=#\xE5\xBC\x95\xE5\x8F\xB7##\xE5\xBC\x95\xE5\x8F\xB7><img "
     "src=#\xE5\xBC\x95\xE5\x8F\xB7(.*?)#\xE5\xBC\x95\xE5\x8F\xB7",
     true},
    {"src=#\xE5\xBC\x95\xE5\x8F\xB7(.*?)#\xE5\xBC\x95\xE5\x8F\xB7", true},
    {"<img align=\"absmiddle\" src=\"(.*?)\">", false},
    {"id=[1-9][0-9]{10,}", false},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const Use& use = in.PickValueInArray(kPatterns);
    const bool global = in.ConsumeBool();
    const std::string subject = in.ConsumeRemainingBytesAsString();
    quillet::RegexMatcher re;
    if (!re.execute(use.pattern, subject, false, true, global, use.quoteMarker)) {
        return 0;  // the match limit: a clean failure
    }
    for (long long i = 1; i <= re.matchCount(); ++i) {
        std::string text = re.matchText(i);
        if (subject.find(text) == std::string::npos) {
            __builtin_trap();
        }
        for (long long g = 0; g <= re.subMatchCount() + 1; ++g) {
            if (re.subMatch(i, g).size() > text.size()) {
                __builtin_trap();
            }
        }
    }
    if (re.replace("$&") != subject) {
        __builtin_trap();
    }
    return 0;
}
