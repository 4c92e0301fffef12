#include "libretro_player.h"

#include "engine_text.h"
#include "host/core/core_call.h"
#include "host/media/pixel_conversion.h"

#include <godot_cpp/classes/image.hpp>
#include <godot_cpp/classes/thread.hpp>
#include <godot_cpp/core/class_db.hpp>
#include <godot_cpp/variant/packed_byte_array.hpp>
#include <godot_cpp/variant/vector2.hpp>

#include <cstring>
#include <string>
#include <utility>

using godot::ClassDB;
using godot::D_METHOD;
using godot::Dictionary;
using godot::Image;
using godot::ImageTexture;
using godot::PackedByteArray;
using godot::PackedStringArray;
using godot::PackedVector2Array;
using godot::Ref;
using godot::String;
using godot::Vector2;

namespace tovarune {

LibretroPlayer::LibretroPlayer() {
    player_.set_frame_sink(&video_texture_);
    player_.set_engine_files(&files_);
    player_.set_events(&signals_);
}

// Unloading here, while every member is alive, writes the save RAM of a running
// game and lets the core go before any field is released.
LibretroPlayer::~LibretroPlayer() {
    *alive_ = false;
    player_.unload_core();
}

bool LibretroPlayer::load_core(const String &p_path) {
    return with_frame_shown(player_.load_core(to_utf8(p_path)));
}

void LibretroPlayer::unload_core() {
    player_.unload_core();
    after_core_call();
}

bool LibretroPlayer::load_game(const String &p_path) {
    return with_frame_shown(player_.load_game(to_utf8(p_path)));
}

void LibretroPlayer::unload_game() {
    player_.unload_game();
    after_core_call();
}

void LibretroPlayer::run_frame() {
    player_.run_frame();
    after_core_call();
}

void LibretroPlayer::reset_game() {
    player_.reset_game();
    after_core_call();
}

void LibretroPlayer::set_paths(const String &p_system_path, const String &p_save_path) {
    player_.set_paths(to_utf8(p_system_path), to_utf8(p_save_path));
}

void LibretroPlayer::set_button(int32_t p_button_id, bool p_pressed) {
    player_.set_button(p_button_id, p_pressed);
}

bool LibretroPlayer::is_core_loaded() const { return player_.is_core_loaded(); }

bool LibretroPlayer::is_game_loaded() const { return player_.is_game_loaded(); }

String LibretroPlayer::get_last_error() const { return to_engine(player_.last_error()); }

double LibretroPlayer::get_fps() const { return player_.fps(); }

double LibretroPlayer::get_sample_rate() const { return player_.sample_rate(); }

// Also where the news of a player that runs on another thread reaches the
// main thread.
Ref<ImageTexture> LibretroPlayer::get_video_texture() const {
    return const_cast<LibretroPlayer *>(this)->after_core_call();
}

Ref<ImageTexture> LibretroPlayer::after_core_call() {
    const std::vector<PlayerSignals::Signal> pending = signals_.take();
    const std::shared_ptr<const bool> alive = alive_;
    const Ref<ImageTexture> texture = video_texture_.show_pending_frame();
    for (const PlayerSignals::Signal &signal : pending) {
        if (!*alive) {
            break;
        }
        signal(*this);
    }
    return texture;
}

PackedVector2Array LibretroPlayer::pop_audio_frames(int32_t p_max_frames) {
    const Player::Lock held = player_.lock();
    PackedVector2Array frames;
    const std::size_t queued = player_.queued_audio_frames();
    if (p_max_frames <= 0 || queued == 0) {
        return frames;
    }
    const std::size_t wanted = static_cast<std::size_t>(p_max_frames);
    frames.resize(static_cast<int64_t>(wanted < queued ? wanted : queued));
    Vector2 *out = frames.ptrw();
    player_.pop_audio_frames(p_max_frames, [out](std::size_t index, const StereoFrame &frame) {
        out[index] = Vector2(frame.left, frame.right);
    });
    return frames;
}

bool LibretroPlayer::save_state(const String &p_path) {
    return with_frame_shown(player_.save_state(to_utf8(p_path)));
}

bool LibretroPlayer::load_state(const String &p_path) {
    return with_frame_shown(player_.load_state(to_utf8(p_path)));
}

PackedStringArray LibretroPlayer::get_core_option_keys() const {
    const Player::Lock held = player_.lock();
    PackedStringArray keys;
    for (const std::string &key : player_.options().sorted_keys()) {
        keys.push_back(to_engine(key));
    }
    return keys;
}

PackedStringArray LibretroPlayer::get_core_option_values(const String &p_key) const {
    const Player::Lock held = player_.lock();
    PackedStringArray values;
    if (const std::vector<std::string> *choices = player_.options().choices(to_utf8(p_key))) {
        for (const std::string &choice : *choices) {
            values.push_back(to_engine(choice));
        }
    }
    return values;
}

String LibretroPlayer::get_core_option_value(const String &p_key) const {
    const Player::Lock held = player_.lock();
    const std::string *value = player_.options().value(to_utf8(p_key));
    return value == nullptr ? String() : to_engine(*value);
}

bool LibretroPlayer::set_core_option(const String &p_key, const String &p_value) {
    return with_frame_shown(player_.set_core_option(to_utf8(p_key), to_utf8(p_value)));
}

double LibretroPlayer::get_aspect_ratio() const { return player_.aspect_ratio(); }

void LibretroPlayer::set_port_button(int32_t p_port, int32_t p_button_id, bool p_pressed) {
    player_.set_port_button(p_port, p_button_id, p_pressed);
}

void LibretroPlayer::set_analog(int32_t p_port, int32_t p_stick, double p_x, double p_y) {
    player_.set_analog(p_port, p_stick, p_x, p_y);
}

int64_t LibretroPlayer::get_memory_size(int32_t p_region) const {
    return player_.memory_size(p_region);
}

PackedByteArray LibretroPlayer::read_memory(int32_t p_region, int64_t p_offset,
                                            int64_t p_length) const {
    // The view is the core's memory: no other call may unload it meanwhile.
    const Player::Lock held = player_.lock();
    PackedByteArray bytes;
    const MemoryView range = player_.read_memory(p_region, p_offset, p_length);
    if (range.data == nullptr || range.size == 0) {
        return bytes;
    }
    bytes.resize(static_cast<int64_t>(range.size));
    // A range too large for the engine to hold gives nothing rather than a part.
    if (static_cast<std::uint64_t>(bytes.size()) != range.size) {
        return PackedByteArray();
    }
    std::memcpy(bytes.ptrw(), range.data, range.size);
    return bytes;
}

bool LibretroPlayer::write_memory(int32_t p_region, int64_t p_offset,
                                  const PackedByteArray &p_data) {
    return player_.write_memory(p_region, p_offset, p_data.ptr(),
                                static_cast<std::size_t>(p_data.size()));
}

PackedByteArray LibretroPlayer::save_state_to_bytes() {
    PackedByteArray bytes;
    // The engine's resize gives zeros, as the scripting API promises.
    const bool saved = player_.save_state_to(
        [&bytes](std::size_t size) -> std::uint8_t * {
            bytes.resize(static_cast<int64_t>(size));
            return static_cast<std::uint64_t>(bytes.size()) == size ? bytes.ptrw() : nullptr;
        },
        true);
    return with_frame_shown(saved ? bytes : PackedByteArray());
}

bool LibretroPlayer::load_state_from_bytes(const PackedByteArray &p_data) {
    return with_frame_shown(
        player_.load_state_from(p_data.ptr(), static_cast<std::size_t>(p_data.size())));
}

Dictionary LibretroPlayer::get_core_info() const {
    Dictionary info;
    CoreInfo core;
    if (!player_.core_info(core)) {
        return info;
    }
    PackedStringArray extensions;
    for (const std::string &extension : core.valid_extensions) {
        extensions.push_back(to_engine(extension));
    }
    info["library_name"] = to_engine(core.library_name);
    info["library_version"] = to_engine(core.library_version);
    info["valid_extensions"] = extensions;
    info["need_fullpath"] = core.need_fullpath;
    info["block_extract"] = core.block_extract;
    return info;
}

void LibretroPlayer::set_save_name(const String &p_name) { player_.set_save_name(to_utf8(p_name)); }

String LibretroPlayer::get_save_name() const { return to_engine(player_.save_name()); }
int32_t LibretroPlayer::get_rotation() const { return static_cast<int32_t>(player_.rotation()); }

PackedByteArray LibretroPlayer::read_address(int64_t p_address, int64_t p_length) const {
    PackedByteArray bytes;
    if (p_address < 0 || p_length <= 0) {
        return bytes;
    }
    const auto address = static_cast<std::uint64_t>(p_address);
    const auto length = static_cast<std::uint64_t>(p_length);
    // Mapped first, then allocated: a range nothing maps costs nothing.
    const Player::Lock held = player_.lock();
    if (!player_.reaches_address(address, length, false)) {
        return bytes;
    }
    bytes.resize(p_length);
    if (static_cast<std::uint64_t>(bytes.size()) != length ||
        !player_.read_address(address, bytes.ptrw(), static_cast<std::size_t>(length))) {
        return PackedByteArray();
    }
    return bytes;
}

bool LibretroPlayer::write_address(int64_t p_address, const PackedByteArray &p_data) {
    return p_address >= 0 &&
           player_.write_address(static_cast<std::uint64_t>(p_address), p_data.ptr(),
                                 static_cast<std::size_t>(p_data.size()));
}

void LibretroPlayer::TextureSink::present_frame(const VideoFrame &frame) {
    const std::uint64_t size = rgba_size(frame.width, frame.height);
    PackedByteArray bytes;
    bytes.resize(static_cast<int64_t>(size));
    // A frame too large for the engine to hold is not worth a partial picture.
    if (static_cast<std::uint64_t>(bytes.size()) != size) {
        return;
    }
    convert_frame(frame, bytes.ptrw());
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = std::move(bytes);
    pending_width_ = static_cast<int32_t>(frame.width);
    pending_height_ = static_cast<int32_t>(frame.height);
}

void LibretroPlayer::TextureSink::drop_frame() {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = PackedByteArray();
    pending_width_ = 0;
    drop_pending_ = true;
}

Ref<ImageTexture> LibretroPlayer::TextureSink::show_pending_frame() {
    std::unique_lock<std::mutex> lock(mutex_);
    // A call refused inside a core call must not wake scripts either.
    if (CoreCall::under_way() || !godot::Thread::is_main_thread()) {
        return texture_;
    }
    if (drop_pending_) {
        drop_pending_ = false;
        texture_.unref();
    }
    if (pending_width_ == 0) {
        return texture_;
    }
    const int32_t width = pending_width_;
    const int32_t height = pending_height_;
    const PackedByteArray bytes = std::move(pending_);
    pending_ = PackedByteArray();
    pending_width_ = 0;
    // Held here: a script woken by the update may drop the node's reference.
    Ref<ImageTexture> shown = texture_;
    lock.unlock();

    const Ref<Image> image =
        Image::create_from_data(width, height, false, Image::FORMAT_RGBA8, bytes);
    if (shown.is_valid() && shown->get_width() == width && shown->get_height() == height) {
        shown->update(image);
    } else {
        shown = ImageTexture::create_from_image(image);
        lock.lock();
        texture_ = shown;
    }
    return shown;
}

void LibretroPlayer::_bind_methods() {
    ADD_SIGNAL(godot::MethodInfo("core_log", godot::PropertyInfo(godot::Variant::INT, "level"),
                                 godot::PropertyInfo(godot::Variant::STRING, "message")));
    ADD_SIGNAL(godot::MethodInfo("core_message",
                                 godot::PropertyInfo(godot::Variant::STRING, "message"),
                                 godot::PropertyInfo(godot::Variant::FLOAT, "seconds")));
    ADD_SIGNAL(godot::MethodInfo("shutdown_requested"));
    ADD_SIGNAL(godot::MethodInfo("av_info_changed"));
    ADD_SIGNAL(godot::MethodInfo("rumble_changed", godot::PropertyInfo(godot::Variant::INT, "port"),
                                 godot::PropertyInfo(godot::Variant::INT, "effect"),
                                 godot::PropertyInfo(godot::Variant::FLOAT, "strength")));
    ClassDB::bind_method(D_METHOD("load_core", "path"), &LibretroPlayer::load_core);
    ClassDB::bind_method(D_METHOD("unload_core"), &LibretroPlayer::unload_core);
    ClassDB::bind_method(D_METHOD("load_game", "path"), &LibretroPlayer::load_game);
    ClassDB::bind_method(D_METHOD("unload_game"), &LibretroPlayer::unload_game);
    ClassDB::bind_method(D_METHOD("run_frame"), &LibretroPlayer::run_frame);
    ClassDB::bind_method(D_METHOD("reset_game"), &LibretroPlayer::reset_game);
    ClassDB::bind_method(D_METHOD("set_paths", "system_path", "save_path"),
                         &LibretroPlayer::set_paths);
    ClassDB::bind_method(D_METHOD("set_button", "button_id", "pressed"),
                         &LibretroPlayer::set_button);
    ClassDB::bind_method(D_METHOD("is_core_loaded"), &LibretroPlayer::is_core_loaded);
    ClassDB::bind_method(D_METHOD("is_game_loaded"), &LibretroPlayer::is_game_loaded);
    ClassDB::bind_method(D_METHOD("get_last_error"), &LibretroPlayer::get_last_error);
    ClassDB::bind_method(D_METHOD("get_fps"), &LibretroPlayer::get_fps);
    ClassDB::bind_method(D_METHOD("get_sample_rate"), &LibretroPlayer::get_sample_rate);
    ClassDB::bind_method(D_METHOD("get_video_texture"), &LibretroPlayer::get_video_texture);
    ClassDB::bind_method(D_METHOD("pop_audio_frames", "max_frames"),
                         &LibretroPlayer::pop_audio_frames, DEFVAL(4096));
    ClassDB::bind_method(D_METHOD("save_state", "path"), &LibretroPlayer::save_state);
    ClassDB::bind_method(D_METHOD("load_state", "path"), &LibretroPlayer::load_state);
    ClassDB::bind_method(D_METHOD("get_core_option_keys"), &LibretroPlayer::get_core_option_keys);
    ClassDB::bind_method(D_METHOD("get_core_option_values", "key"),
                         &LibretroPlayer::get_core_option_values);
    ClassDB::bind_method(D_METHOD("get_core_option_value", "key"),
                         &LibretroPlayer::get_core_option_value);
    ClassDB::bind_method(D_METHOD("set_core_option", "key", "value"),
                         &LibretroPlayer::set_core_option);
    ClassDB::bind_method(D_METHOD("get_aspect_ratio"), &LibretroPlayer::get_aspect_ratio);
    ClassDB::bind_method(D_METHOD("set_port_button", "port", "button_id", "pressed"),
                         &LibretroPlayer::set_port_button);
    ClassDB::bind_method(D_METHOD("set_analog", "port", "stick", "x", "y"),
                         &LibretroPlayer::set_analog);
    ClassDB::bind_method(D_METHOD("get_memory_size", "region"), &LibretroPlayer::get_memory_size);
    ClassDB::bind_method(D_METHOD("read_memory", "region", "offset", "length"),
                         &LibretroPlayer::read_memory);
    ClassDB::bind_method(D_METHOD("write_memory", "region", "offset", "data"),
                         &LibretroPlayer::write_memory);
    ClassDB::bind_method(D_METHOD("save_state_to_bytes"), &LibretroPlayer::save_state_to_bytes);
    ClassDB::bind_method(D_METHOD("load_state_from_bytes", "data"),
                         &LibretroPlayer::load_state_from_bytes);
    ClassDB::bind_method(D_METHOD("get_core_info"), &LibretroPlayer::get_core_info);
    ClassDB::bind_method(D_METHOD("set_save_name", "name"), &LibretroPlayer::set_save_name);
    ClassDB::bind_method(D_METHOD("get_save_name"), &LibretroPlayer::get_save_name);
    bind_input_methods();
    ClassDB::bind_method(D_METHOD("get_rotation"), &LibretroPlayer::get_rotation);
    ClassDB::bind_method(D_METHOD("read_address", "address", "length"),
                         &LibretroPlayer::read_address);
    ClassDB::bind_method(D_METHOD("write_address", "address", "data"),
                         &LibretroPlayer::write_address);
    bind_option_methods();
    bind_disc_methods();
}

} // namespace tovarune
