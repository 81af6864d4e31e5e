// unescapeUnicode and utf16BytesToText of any input.
#include <string>

#include "text/codepage.h"
#include "text/coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!quillet::isValidUtf8(quillet::unescapeUnicode(text)) ||
        !quillet::isValidUtf8(quillet::utf16BytesToText(text))) {
        __builtin_trap();
    }
    // A text without backslashes, percent signs, CR, LF or marks comes back unchanged.
    if (text.find_first_of("\\%\r\n{") == std::string::npos &&
        text.find("\xE2\x80\x99") == std::string::npos && quillet::isValidUtf8(text) &&
        !text.empty() && quillet::unescapeUnicode(text) != text) {
        __builtin_trap();
    }
    return 0;
}
