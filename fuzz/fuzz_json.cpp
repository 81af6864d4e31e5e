// JsonDocument::parse of any input, then reads and counts at fuzzed paths.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "text/codepage.h"
#include "text/json_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::string> paths;
    for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        paths.push_back(in.ConsumeRandomLengthString(40));
    }
    paths.push_back("listItem[0].itemNumId");
    paths.push_back("");
    const std::string text = in.ConsumeRemainingBytesAsString();

    quillet::JsonDocument doc;
    bool parsed = doc.parse(text);
    if (!parsed && doc.count("") != 0) {
        __builtin_trap();
    }
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        std::string value = doc.getValue(path);
        std::string json = doc.getValue(path, true);
        long long count = doc.count(path);
        int kind = doc.typeOf(path);
        doc.has(path);
        doc.getNumber(path);
        doc.memberNames(names, path);
        if (!quillet::isValidUtf8(value) || !quillet::isValidUtf8(json)) {
            __builtin_trap();
        }
        // Whatever stringify writes must parse back to the same text.
        if (!json.empty() && json != "null") {
            quillet::JsonDocument again;
            if (!again.parse(json) || again.toJson() != json) {
                __builtin_trap();
            }
        }
        if ((kind == quillet::JsonDocument::kArray || kind == quillet::JsonDocument::kObject) &&
            count < 0) {
            __builtin_trap();
        }
        quillet::JsonDocument part = doc.getObject(path);
        part.count("");
    }
    if (!paths.empty()) {
        doc.setValue(paths.front(), text.substr(0, 64), true);
        doc.push(text.substr(0, 32), paths.front(), true);
        doc.removeMember(paths.front());
        doc.toJson();
    }
    return 0;
}
