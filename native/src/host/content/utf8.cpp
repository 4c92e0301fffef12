#include "content/utf8.h"

namespace tovarune {

bool is_valid_utf8(const std::string &text) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80) {
            continue;
        }
        int continuation;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            if (lead == 0xE0) {
                low = 0xA0; // overlong
            } else if (lead == 0xED) {
                high = 0x9F; // surrogates
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            if (lead == 0xF0) {
                low = 0x90; // overlong
            } else if (lead == 0xF4) {
                high = 0x8F; // past U+10FFFF
            }
        } else {
            return false;
        }
        if (end - p < continuation || *p < low || *p > high) {
            return false;
        }
        for (int i = 1; i < continuation; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
        }
        p += continuation;
    }
    return true;
}

} // namespace tovarune
