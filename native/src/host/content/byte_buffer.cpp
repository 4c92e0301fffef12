#include "content/byte_buffer.h"

namespace tovarune {

bool ByteBuffer::allocate(std::size_t size) {
    reset();
    if (size == 0) {
        return true;
    }
    // calloc rather than new[]: large blocks come zeroed from the system
    // without being touched, and a failure is a null, not an abort.
    bytes_.reset(static_cast<std::uint8_t *>(std::calloc(size, 1)));
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
