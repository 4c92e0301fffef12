#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace tovarune {

// A block of bytes whose allocation may fail without ending the process:
// exceptions are off, so a plain std::vector of an absurd size would abort
// the game that hosts us.
class ByteBuffer {
public:
    // Replaces the contents with `size` zero bytes; false (and empty) when
    // the memory cannot be had.
    bool allocate(std::size_t size);
    void reset();

    std::uint8_t *data() { return bytes_.get(); }
    const std::uint8_t *data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    struct Free {
        void operator()(std::uint8_t *bytes) const { std::free(bytes); }
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::size_t size_ = 0;
};

} // namespace tovarune
