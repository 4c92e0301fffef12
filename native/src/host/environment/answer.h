#pragma once

#include <cstring>

namespace tovarune::environment {

// Writes `value` where the core asked for it; false for null storage.
template <typename T> bool write_answer(void *data, T value) {
    if (data == nullptr) {
        return false;
    }
    *static_cast<T *>(data) = value;
    return true;
}

// A bool a core wrote, read as its byte: a core may leave any value there.
inline bool read_flag(const bool &field) {
    unsigned char byte = 0;
    std::memcpy(&byte, &field, 1);
    return byte != 0;
}

} // namespace tovarune::environment
