#pragma once

namespace godot {

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float p_x, float p_y) : x(p_x), y(p_y) {}
};

} // namespace godot
