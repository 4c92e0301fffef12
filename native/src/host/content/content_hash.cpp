#include "content/content_hash.h"

#include <cstdint>

namespace tovarune {

std::string content_hash(const void *data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037u;
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211u;
    }
    std::string hex;
    for (int shift = 60; shift >= 0; shift -= 4) {
        hex += "0123456789abcdef"[(hash >> shift) & 0xF];
    }
    return hex;
}

} // namespace tovarune
