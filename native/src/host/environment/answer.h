#pragma once

namespace tovarune::environment {

// Writes `value` where the core asked for it; false for null storage.
template <typename T> bool write_answer(void *data, T value) {
    if (data == nullptr) {
        return false;
    }
    *static_cast<T *>(data) = value;
    return true;
}

} // namespace tovarune::environment
