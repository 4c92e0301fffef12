#pragma once

#include "godot_files.h"
#include "host/media/frame_sink.h"
#include "host/player.h"
#include "player_signals.h"

#include <godot_cpp/classes/image_texture.hpp>
#include <godot_cpp/classes/node.hpp>
#include <godot_cpp/classes/ref.hpp>
#include <godot_cpp/variant/array.hpp>
#include <godot_cpp/variant/dictionary.hpp>
#include <godot_cpp/variant/packed_byte_array.hpp>
#include <godot_cpp/variant/packed_string_array.hpp>
#include <godot_cpp/variant/packed_vector2_array.hpp>
#include <godot_cpp/variant/string.hpp>
#include <godot_cpp/variant/vector2.hpp>

#include <cstdint>
#include <memory>
#include <mutex>

namespace tovarune {

// The scripting face of a tovarune::Player: converts engine types to the
// host's UTF-8 texts and back, and shows the host's frames in one texture.
class LibretroPlayer : public godot::Node {
    GDCLASS(LibretroPlayer, godot::Node)

public:
    LibretroPlayer();
    ~LibretroPlayer() override;

    bool load_core(const godot::String &p_path);
    void unload_core();
    bool load_game(const godot::String &p_path);
    void unload_game();
    void run_frame();
    void reset_game();
    void set_paths(const godot::String &p_system_path, const godot::String &p_save_path);
    void set_button(int32_t p_button_id, bool p_pressed);
    bool is_core_loaded() const;
    bool is_game_loaded() const;
    godot::String get_last_error() const;
    double get_fps() const;
    double get_sample_rate() const;
    godot::Ref<godot::ImageTexture> get_video_texture() const;
    godot::PackedVector2Array pop_audio_frames(int32_t p_max_frames);
    bool save_state(const godot::String &p_path);
    bool load_state(const godot::String &p_path);
    godot::PackedStringArray get_core_option_keys() const;
    godot::PackedStringArray get_core_option_values(const godot::String &p_key) const;
    godot::String get_core_option_value(const godot::String &p_key) const;
    bool set_core_option(const godot::String &p_key, const godot::String &p_value);
    double get_aspect_ratio() const;
    void set_port_button(int32_t p_port, int32_t p_button_id, bool p_pressed);
    void set_analog(int32_t p_port, int32_t p_stick, double p_x, double p_y);
    int64_t get_memory_size(int32_t p_region) const;
    godot::PackedByteArray read_memory(int32_t p_region, int64_t p_offset, int64_t p_length) const;
    bool write_memory(int32_t p_region, int64_t p_offset, const godot::PackedByteArray &p_data);
    godot::PackedByteArray save_state_to_bytes();
    bool load_state_from_bytes(const godot::PackedByteArray &p_data);
    godot::Dictionary get_core_info() const;
    void set_save_name(const godot::String &p_name);
    godot::String get_save_name() const;
    int32_t get_rotation() const;
    godot::PackedByteArray read_address(int64_t p_address, int64_t p_length) const;
    bool write_address(int64_t p_address, const godot::PackedByteArray &p_data);

    // Input devices (libretro_player_input.cpp).
    void set_analog_button(int32_t p_port, int32_t p_button_id, double p_value);
    void add_mouse_motion(int32_t p_port, double p_dx, double p_dy);
    void set_mouse_button(int32_t p_port, int32_t p_button_id, bool p_pressed);
    void add_mouse_wheel(int32_t p_port, int32_t p_vertical, int32_t p_horizontal);
    void set_pointer(int32_t p_port, int32_t p_touch, const godot::Vector2 &p_position,
                     bool p_pressed);
    void release_pointers(int32_t p_port);
    void set_lightgun_position(int32_t p_port, const godot::Vector2 &p_position);
    void set_lightgun_button(int32_t p_port, int32_t p_button_id, bool p_pressed);
    void set_key(int32_t p_keycode, bool p_pressed, int64_t p_character, int64_t p_modifiers);
    godot::Array get_controller_types(int32_t p_port) const;
    bool set_port_device(int32_t p_port, int64_t p_device);
    int64_t get_port_device(int32_t p_port) const;
    godot::Array get_input_descriptors() const;

    // What a menu of the core's options shows (libretro_player_options.cpp).
    godot::Dictionary get_core_option_info(const godot::String &p_key) const;
    godot::Array get_core_option_categories() const;

    // The disc tray (libretro_player_discs.cpp).
    int64_t get_disk_count() const;
    int64_t get_disk_index() const;
    bool set_disk_index(int64_t p_index);
    bool is_disk_ejected() const;
    bool set_disk_ejected(bool p_ejected);
    godot::String get_disk_label(int64_t p_index) const;
    bool add_disk(const godot::String &p_path);

protected:
    static void _bind_methods();
    static void bind_input_methods();
    static void bind_option_methods();
    static void bind_disc_methods();

private:
    // Turns each accepted frame into the contents of the texture. A frame is
    // converted while the core's buffer is valid, during its call, but reaches
    // the engine only once the core has returned, and only on the main thread:
    // the texture's signals may run scripts, which must never find a core on
    // the stack, and wake scene nodes, which only the main thread may touch.
    // Until then the newest frame waits, whichever thread ran the core.
    class TextureSink final : public FrameSink {
    public:
        void present_frame(const VideoFrame &frame) override;
        void drop_frame() override;
        // On the main thread, outside any core call: hands the last converted
        // frame (or the end of the picture) to the texture, and returns the
        // texture. Touches nothing of the node after the engine call, which may
        // free it.
        godot::Ref<godot::ImageTexture> show_pending_frame();

    private:
        // The thread that runs the core hands frames to the main thread.
        mutable std::mutex mutex_;
        godot::Ref<godot::ImageTexture> texture_;
        godot::PackedByteArray pending_;
        int32_t pending_width_ = 0; // 0: nothing pending
        int32_t pending_height_ = 0;
        bool drop_pending_ = false;
    };

    // Ends every scripting method that may have called the core: on the main
    // thread, shows the newest frame and emits the signals that wait. Returns
    // the texture. Touches nothing of the node after a script may have freed it.
    godot::Ref<godot::ImageTexture> after_core_call();
    template <typename Result> Result with_frame_shown(Result result) {
        after_core_call();
        return result;
    }

    // Declared before the player, which drops its frame into the sink while it
    // unloads. Mutable: reading the texture on the main thread first shows
    // what another thread left pending.
    mutable TextureSink video_texture_;
    PlayerSignals signals_;
    GodotFiles files_;
    // False once the node is gone, for the signals emitted after a script
    // that may free it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Player player_;
};

} // namespace tovarune
