// urlDecode of any input, and the round trip through urlEncode.
#include <string>

#include "text/codepage.h"
#include "text/coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = quillet::urlDecode(text, true);
    if (!quillet::isValidUtf8(decoded) || !quillet::isValidUtf8(quillet::urlDecode(text, false))) {
        __builtin_trap();
    }
    // Encoding and decoding gives back the text less its zero bytes, made valid.
    std::string withoutZeros = text;
    std::erase(withoutZeros, '\0');
    const std::string expected = quillet::sanitizeUtf8(withoutZeros);
    for (bool keep : {false, true}) {
        if (quillet::urlDecode(quillet::urlEncode(text, keep, true), true) != expected) {
            __builtin_trap();
        }
    }
    return 0;
}
