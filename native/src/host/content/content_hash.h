#pragma once

#include <cstddef>
#include <string>

namespace tovarune {

// A short name for some bytes: their 64-bit FNV-1a hash in 16 hex digits. It
// tells contents apart in file names; it is no defence against forgery.
std::string content_hash(const void *data, std::size_t size);

} // namespace tovarune
