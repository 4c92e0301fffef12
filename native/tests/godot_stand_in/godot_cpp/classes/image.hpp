#pragma once

#include <godot_cpp/classes/ref.hpp>
#include <godot_cpp/classes/ref_counted.hpp>
#include <godot_cpp/variant/packed_byte_array.hpp>

#include <cstdint>

namespace godot {

class Image : public RefCounted {
public:
    enum Format { FORMAT_RGBA8 = 5 };

    Image();
    ~Image() override;

    // Counts an engine error, as the engine prints one, for data that does not
    // fit the size.
    static Ref<Image> create_from_data(int32_t p_width, int32_t p_height, bool p_use_mipmaps,
                                       Format p_format, const PackedByteArray &p_data);

    int32_t get_width() const { return width_; }
    int32_t get_height() const { return height_; }
    PackedByteArray get_data() const { return data_; }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    PackedByteArray data_;
};

} // namespace godot
