#pragma once

#include <string>

namespace tovarune {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF). Texts from a core may be anything.
bool is_valid_utf8(const std::string &text);

} // namespace tovarune
