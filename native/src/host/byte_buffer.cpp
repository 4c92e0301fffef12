#include "byte_buffer.h"

#include <new>

namespace tovarune {

bool ByteBuffer::allocate(std::size_t size) {
    reset();
    if (size == 0) {
        return true;
    }
    bytes_.reset(new (std::nothrow) std::uint8_t[size]());
    if (!bytes_) {
        return false;
    }
    size_ = size;
    return true;
}

void ByteBuffer::reset() {
    bytes_.reset();
    size_ = 0;
}

} // namespace tovarune
