#pragma once

#include <string_view>

namespace quillet {

// The integer reading int(x): the leading decimal integer as atoi reads it (leading white space
// skipped, an optional sign, then digits), with full-width digits, signs and the full-width space
// read as their ASCII forms. 0 when the text does not start with a number; saturates instead of
// overflowing.
long long ReadInt(std::string_view text);

}  // namespace quillet
