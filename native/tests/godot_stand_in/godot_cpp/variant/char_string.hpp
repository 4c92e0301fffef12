#pragma once

#include <cstdint>
#include <string>

namespace godot {

class CharString {
public:
    CharString() = default;
    explicit CharString(std::string p_data) : data_(std::move(p_data)) {}

    int64_t length() const { return static_cast<int64_t>(data_.size()); }
    const char *get_data() const { return data_.c_str(); }

private:
    std::string data_;
};

} // namespace godot
