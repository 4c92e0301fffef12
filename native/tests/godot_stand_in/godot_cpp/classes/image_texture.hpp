#pragma once

#include <godot_cpp/classes/image.hpp>
#include <godot_cpp/classes/ref.hpp>
#include <godot_cpp/classes/ref_counted.hpp>

#include <cstdint>

namespace godot {

class Texture2D : public RefCounted {
public:
    int32_t get_width() const { return width_; }
    int32_t get_height() const { return height_; }

protected:
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// Keeps the pixels it was last given, and how often it was updated in place.
class ImageTexture : public Texture2D {
public:
    ImageTexture();
    ~ImageTexture() override;

    static Ref<ImageTexture> create_from_image(const Ref<Image> &p_image);
    // Counts an engine error, changing nothing, when the size differs.
    void update(const Ref<Image> &p_image);

    const PackedByteArray &pixels() const { return pixels_; }
    int updates() const { return updates_; }

private:
    PackedByteArray pixels_;
    int updates_ = 0;
};

} // namespace godot
