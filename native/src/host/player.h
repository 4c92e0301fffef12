#pragma once

#include "content/byte_buffer.h"
#include "content/content_requests.h"
#include "content/engine_files.h"
#include "content/resource_paths.h"
#include "content/unpacked_files.h"
#include "content/vfs_files.h"
#include "core/callback_slots.h"
#include "core/core_api.h"
#include "core/core_info.h"
#include "core/core_library.h"
#include "core/core_scope.h"
#include "core/frame_callbacks.h"
#include "core/player_events.h"
#include "environment/options_store.h"
#include "input/input_devices.h"
#include "input/rumble.h"
#include "media/audio_queue.h"
#include "media/frame_sink.h"
#include "media/hw/hardware_render.h"
#include "saves/memory_access.h"
#include "saves/memory_maps.h"
#include "saves/saves_in_use.h"

#include <libretro.h>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tovarune {

// One libretro core and at most one game, driven by a script: everything a
// LibretroPlayer node does, without the engine. Texts are UTF-8.
//
// Every player runs its own core, beside any number of others. A player may be
// driven from any thread; its calls are serialised, so a second thread waits
// for the first one's call to end.
class Player {
public:
    using Lock = std::unique_lock<std::recursive_mutex>;

    // In last_error() when load_core or load_game is called from inside a
    // core's own call, where nothing may be loaded or unloaded.
    static constexpr const char *refused_inside_core_call =
        "Nao e possivel carregar enquanto o core esta em execucao.";
    Player() = default;
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    // Where frames go; null sends them nowhere. Not owned.
    void set_frame_sink(FrameSink *sink) { frame_sink_ = sink; }
    // How the engine's resource paths are found; null takes every path as the
    // system's own. Not owned.
    void set_engine_files(const EngineFiles *files) {
        engine_files_ = files;
        vfs_.set_engine_files(files);
    }
    // Where the core's log lines and the player's other news go; null sends
    // them nowhere. Not owned; set before any core is loaded.
    void set_events(PlayerEvents *events) { events_ = events; }

    // Keeps other threads out of this player for longer than one call, while
    // a caller works with what a call handed it (options, memory views).
    Lock lock() const { return Lock(mutex_); }

    // Core lifecycle.
    bool load_core(const std::string &path);
    void unload_core();

    // Game lifecycle.
    bool load_game(const std::string &path);
    void unload_game();
    void run_frame();
    void reset_game();

    void set_paths(const std::string &system_path, const std::string &save_path);
    // The name, without extension, that a game's battery save (and the
    // drop-in's default state) takes in the save directory: this one, or when
    // empty the game file's. A game whose battery save another living player's
    // game has takes "<name> (2)", "<name> (3)"... instead: save_name() tells
    // which while the game is loaded, and the name set otherwise.
    void set_save_name(const std::string &name);
    std::string save_name() const;
    void set_button(std::int32_t button_id, bool pressed) {
        const Lock held = lock();
        input_.joypads.set_button(0, button_id, pressed);
    }
    // Input for ports 0 to 7; see controller_ports.cpp for when a port is
    // connected. Ids and values are those of the input/ classes.
    void set_port_button(std::int32_t port, std::int32_t button_id, bool pressed);
    void set_analog(std::int32_t port, std::int32_t stick, double x, double y);
    void set_analog_button(std::int32_t port, std::int32_t button_id, double value);
    void add_mouse_motion(std::int32_t port, double dx, double dy);
    void set_mouse_button(std::int32_t port, std::int32_t button_id, bool pressed);
    void add_mouse_wheel(std::int32_t port, std::int32_t vertical, std::int32_t horizontal);
    // Positions are fractions of the picture (input/screen_space.h).
    void set_pointer(std::int32_t port, std::int32_t touch, double x, double y, bool pressed);
    void release_pointers(std::int32_t port);
    void set_lightgun_position(std::int32_t port, double x, double y);
    void set_lightgun_button(std::int32_t port, std::int32_t button_id, bool pressed);
    // Holds or releases a retro_key, and tells the core's keyboard callback
    // while a game runs (RETROK_UNKNOWN for a character alone).
    void set_key(std::int32_t keycode, bool pressed, std::uint32_t character,
                 std::uint16_t modifiers);

    // The device told to a port: a base type, or one the core lists for it.
    // False, changing nothing, for any other device or port.
    bool set_port_device(std::int32_t port, std::int64_t device);
    // The chosen device, RETRO_DEVICE_JOYPAD by default, or RETRO_DEVICE_NONE
    // for a port out of range.
    unsigned port_device(std::int32_t port) const;
    std::vector<ControllerType> controller_types(std::int32_t port) const;
    std::vector<InputDescriptor> input_descriptors() const;

    bool save_state(const std::string &path);
    bool load_state(const std::string &path);
    // The same, in memory: `allocate(size)` hands out the bytes the state goes
    // into (null when it cannot). The bytes the core leaves unwritten are
    // zero: they are zeroed before it writes, unless `allocated_zeroed` says
    // that they come zeroed (so that memory nobody writes is never touched).
    template <typename Allocate>
    bool save_state_to(Allocate &&allocate, bool allocated_zeroed = false) {
        const Lock held = lock();
        const std::size_t size = state_size();
        if (size == 0) {
            return false;
        }
        std::uint8_t *data = allocate(size);
        return data != nullptr && serialize_state(data, size, allocated_zeroed);
    }
    bool load_state_from(const std::uint8_t *data, std::size_t size);

    // The bytes of a core memory region (RETRO_MEMORY_SAVE_RAM to
    // RETRO_MEMORY_VIDEO_RAM) while a game is loaded.
    std::int64_t memory_size(std::int32_t region) const;
    // The `length` bytes at `offset`, when they lie wholly inside the region;
    // otherwise an empty view with a null `data`.
    MemoryView read_memory(std::int32_t region, std::int64_t offset, std::int64_t length) const;
    // Copies `size` bytes to `offset` when they fit wholly inside the region.
    bool write_memory(std::int32_t region, std::int64_t offset, const std::uint8_t *data,
                      std::size_t size);

    // What the loaded core says of itself; false without a core.
    bool core_info(CoreInfo &info) const;

    // The console's memory by its own addresses (the core's memory map), while
    // a game is loaded: false unless every byte is mapped, and to write, none
    // is read-only.
    bool reaches_address(std::uint64_t address, std::uint64_t length, bool writing) const;
    bool read_address(std::uint64_t address, std::uint8_t *out, std::size_t size) const;
    bool write_address(std::uint64_t address, const std::uint8_t *data, std::size_t size);
    // Quarter turns counter-clockwise that the core's picture is to be shown
    // at: 0 to 3.
    unsigned rotation() const;
    // The core asked to shut down; its game runs no more frames.
    bool shutdown_requested() const;

    bool is_core_loaded() const {
        const Lock held = lock();
        return core_loaded_;
    }
    bool is_game_loaded() const {
        const Lock held = lock();
        return game_loaded_;
    }
    std::string last_error() const {
        const Lock held = lock();
        return last_error_;
    }
    double fps() const;
    double sample_rate() const;
    // Display aspect of the current or last game; 0 when unknown.
    double aspect_ratio() const;

    // Takes up to `max_frames` of the oldest queued audio frames (none when
    // `max_frames` is not positive), handing each to `sink(index, frame)`.
    template <typename Sink> std::size_t pop_audio_frames(std::int32_t max_frames, Sink &&sink) {
        const Lock held = lock();
        if (max_frames <= 0) {
            return 0;
        }
        return audio_frames_.pop(static_cast<std::size_t>(max_frames), sink);
    }
    std::size_t queued_audio_frames() const {
        const Lock held = lock();
        return audio_frames_.size();
    }

    // Hold lock() while using the store where other threads may call.
    OptionsStore &options() { return options_; }
    const OptionsStore &options() const { return options_; }
    // A script's choice of value: the core, when it asked to be told, then
    // updates which of its options are shown.
    bool set_core_option(const std::string &key, const std::string &value);
    // The files the core opens through the VFS interface; from any thread.
    VfsFiles &vfs() { return vfs_; }
    // The disc tray of a core that has one (disk_control.cpp). While a game
    // runs; otherwise false, 0 or empty. An index is one of the core's discs.
    void set_disk_control(const retro_disk_control_ext_callback &callbacks);
    std::int64_t disk_count() const;
    std::int64_t disk_index() const;
    bool set_disk_index(std::int64_t index);
    bool disk_ejected() const;
    bool set_disk_ejected(bool ejected);
    // The core's name for a disc (extended interface only).
    std::string disk_label(std::int64_t index) const;
    // Adds a disc to the core's list: a file on disk or in the user data.
    bool add_disk(const std::string &path);
    // The core's function that updates its options' display; null removes it.
    void set_options_display_callback(retro_core_options_update_display_callback_t callback) {
        options_display_callback_ = callback;
    }
    // The core declared options or changed their display: the events hear it.
    void tell_options_changed();

    // Marks the calling thread as inside this player's core, for calls into
    // the core made outside the player's own methods.
    CoreScope enter_core() const { return CoreScope(callbacks_, hardware_render_.get()); }

    // A line for the log: from the core's log interface (any thread), or of
    // the player's own.
    void log_core_line(unsigned level, const char *line);
    // A callback came from a thread that is not inside the core: it is
    // ignored, and the log says so once per core.
    void ignore_call_from_other_thread();

    // What the callbacks work on.
    unsigned pixel_format() const { return pixel_format_; }
    bool set_pixel_format(unsigned format);
    // Null when the directory is not set; otherwise valid until the core that
    // may hold it is unloaded.
    const char *system_directory() const;
    const char *save_directory() const;
    AudioQueue &audio_frames() { return audio_frames_; }
    // Under the lock, as the callbacks and environment commands are.
    InputDevices &input() { return input_; }
    void poll_input();
    std::int16_t input_state(unsigned port, unsigned device, unsigned index, unsigned id);
    FrameSink *frame_sink() const { return frame_sink_; }
    const retro_system_av_info &av_info() const { return av_info_; }
    const std::string &rom_path() const { return rom_path_; }
    const CoreApi &core_api() const { return core_api_; }
    bool holds_library() const { return core_module_ != nullptr; }
    LibraryHandle library() const { return core_module_; }
    // The functions this player's core calls back; null without a core.
    const CoreCallbacks *callbacks() const { return callbacks_; }
    // The core's hardware rendering: its context, framebuffer and frames.
    HardwareRender &hardware_render() const { return *hardware_render_; }

    // In last_error() when a core that renders with OpenGL cannot get a context.
    static constexpr const char *no_gl_context = "Nao foi possivel criar um contexto OpenGL.";

    // What the environment of a current frontend changes; each tells the
    // player's events.
    void set_av_info(const retro_system_av_info &info);
    // Base size and aspect; the maximum size stays.
    void set_geometry(const retro_game_geometry &geometry);
    bool set_rotation(unsigned rotation);
    void show_message(const char *message, double seconds);
    void request_shutdown();
    // From any thread: a motor of a pad, as the rumble interface sets it.
    bool set_rumble(unsigned port, unsigned effect, std::uint16_t strength);
    // Keeps the serialization quirks a core declares; returns those this
    // player knows, with its own acknowledgements.
    std::uint64_t set_serialization_quirks(std::uint64_t quirks);
    std::uint64_t serialization_quirks() const { return serialization_quirks_; }
    FrameCallbacks &frame_callbacks() { return frame_callbacks_; }
    MemoryMaps &memory_maps() { return memory_maps_; }
    ContentRequests &content() { return content_; }
    // The core library's file, absolute; empty when it cannot be told.
    const std::string &core_file() const { return core_file_; }

private:
    // Calls a core's entry point inside a CoreScope.
    template <typename Result, typename... Parameters, typename... Arguments>
    Result call_core(Result (*entry_point)(Parameters...), Arguments &&...arguments) const {
        const CoreScope scope = enter_core();
        return entry_point(std::forward<Arguments>(arguments)...);
    }
    MemoryView core_memory(unsigned id) const;
    bool open_core_module(const std::string &path, std::string &cause);
    void close_core_module();
    void drop_frame();
    void release_rom_data();
    void claim_save_file();
    void load_save_ram();
    void store_save_ram();
    void replace_path(std::unique_ptr<std::string> &field, const std::string &text);
    std::string unpacked_directory() const;
    void connect_port(std::int32_t port);
    void tell_port_device(std::int32_t port, unsigned device);
    void connect_ports_after_load();
    std::size_t state_size();
    bool serialize_state(std::uint8_t *data, std::size_t size, bool zeroed);
    MemoryView memory_region(std::int32_t region) const;
    void remember_core_file();
    void stop_rumble();
    // Whatever a core asked of the frontend goes with it.
    void forget_core_requests();
    bool prepare_hardware_render();
    // The game's bytes where the core reads them: `need_fullpath` says
    // whether it opens the file itself. False with last_error_ set.
    bool read_game(const Location &file, bool need_fullpath);
    // Sets last_error_ to `message`, logs the cause as a warning; false.
    bool refuse_game(const char *message, const std::string &cause);
    bool disk_control_ready() const;

    mutable std::recursive_mutex mutex_;
    LibraryHandle core_module_ = nullptr;
    // A private copy of a library another player holds, where it must be
    // removed after unloading; empty otherwise.
    std::string core_copy_;
    // The callbacks that reach this player; held while a library is.
    const CoreCallbacks *callbacks_ = nullptr;
    CoreApi core_api_;
    void (*set_controller_port_device_)(unsigned, unsigned) = nullptr;
    bool core_loaded_ = false;
    bool game_loaded_ = false;
    unsigned pixel_format_ = RETRO_PIXEL_FORMAT_0RGB1555;
    retro_system_av_info av_info_{};
    InputDevices input_;
    // Ports told to the core as joypads, or as their chosen device, during the
    // current game.
    unsigned connected_ports_ = 0;
    AudioQueue audio_frames_;
    std::string rom_path_;
    // The game file as the core is told it: on disk, or a copy there, which
    // is then held while the game is loaded.
    std::string game_path_;
    UnpackedGameClaim game_copy_;
    // Held by pointer so that the text a core was handed keeps its address;
    // texts replaced while a core is loaded stay alive until it is unloaded.
    std::unique_ptr<std::string> system_path_ = std::make_unique<std::string>();
    std::unique_ptr<std::string> save_path_ = std::make_unique<std::string>();
    std::vector<std::unique_ptr<std::string>> retired_paths_;
    ByteBuffer rom_data_;
    OptionsStore options_;
    retro_core_options_update_display_callback_t options_display_callback_ = nullptr;
    VfsFiles vfs_;
    retro_disk_control_ext_callback disk_control_{};
    // The paths of discs added, kept while the core may hold them.
    std::list<std::string> disk_paths_;
    std::string last_error_;
    // A save file that was there at load but could not be read: it is kept
    // rather than overwritten with whatever the save RAM holds at unload.
    std::string unreadable_save_ram_path_;
    std::string save_name_;
    // While a game is loaded: the name its saves take, and its battery save.
    std::string save_name_in_use_;
    SaveFileClaim battery_save_;
    // An absurd state size was told of once for this core.
    bool told_of_state_size_ = false;
    FrameSink *frame_sink_ = nullptr;
    const EngineFiles *engine_files_ = nullptr;
    PlayerEvents *events_ = nullptr;
    std::atomic<bool> told_of_other_threads_{false};
    // Warnings and errors logged so far: a refusal the core did not explain
    // is explained by the player.
    std::atomic<unsigned> problems_logged_{0};
    // What the core asked of the frontend, for as long as it is loaded.
    FrameCallbacks frame_callbacks_;
    MemoryMaps memory_maps_;
    RumbleMotors rumble_;
    unsigned rotation_ = 0;
    bool shutdown_requested_ = false;
    std::uint64_t serialization_quirks_ = 0;
    std::string core_file_;
    // The stem of the core file the script named: the saves' name of a game
    // started without content.
    std::string core_name_;
    ContentRequests content_;
    // Held by pointer: CoreScope reaches it from const methods.
    std::unique_ptr<HardwareRender> hardware_render_ = std::make_unique<HardwareRender>();
};

} // namespace tovarune
