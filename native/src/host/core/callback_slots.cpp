#include "core/callback_slots.h"
#include "core/callbacks.h"
#include "player.h"

#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <utility>

namespace tovarune {

namespace {

// Read by the callbacks on whatever thread a core calls them, written when a
// player takes or leaves its slot.
std::array<std::atomic<Player *>, callback_slot_count> slot_players{};

// The thread each slot takes calls from: the one inside the slot's core.
std::array<std::atomic<std::thread::id>, callback_slot_count> slot_threads{};

// Calls from other threads (a core's own log, or a stray call) reach the
// player under a shared hold, which its leaving waits for: they may come at
// any time, even while the player goes.
std::array<std::shared_mutex, callback_slot_count> slot_leaving;

// Which slots are taken. Players load and unload on many threads.
std::mutex slots_mutex;
std::array<bool, callback_slot_count> slot_taken{};

template <std::size_t Slot> struct SlotFunctions {
    // The player, when this call comes from the thread inside its core;
    // otherwise null, and the player hears of it.
    static Player *player() {
        if (slot_threads[Slot].load(std::memory_order_acquire) == std::this_thread::get_id()) {
            return slot_players[Slot].load(std::memory_order_acquire);
        }
        const std::shared_lock<std::shared_mutex> held(slot_leaving[Slot]);
        if (Player *target = slot_players[Slot].load(std::memory_order_acquire)) {
            target->ignore_call_from_other_thread();
        }
        return nullptr;
    }

    static bool environment(unsigned command, void *data) {
        Player *target = player();
        return target != nullptr && environment_callback(*target, command, data);
    }
    static void video_refresh(const void *data, unsigned width, unsigned height, size_t pitch) {
        if (Player *target = player()) {
            video_refresh_callback(*target, data, width, height, pitch);
        }
    }
    static void audio_sample(int16_t left, int16_t right) {
        if (Player *target = player()) {
            audio_sample_callback(*target, left, right);
        }
    }
    static size_t audio_sample_batch(const int16_t *data, size_t frames) {
        Player *target = player();
        return target == nullptr ? 0 : audio_sample_batch_callback(*target, data, frames);
    }
    static void input_poll() {
        if (Player *target = player()) {
            input_poll_callback(*target);
        }
    }
    static int16_t input_state(unsigned port, unsigned device, unsigned index, unsigned id) {
        Player *target = player();
        return target == nullptr ? 0 : input_state_callback(*target, port, device, index, id);
    }
    // From any thread: cores log from threads of their own.
    static void log(retro_log_level level, const char *format, ...) {
        if (format == nullptr) {
            return;
        }
        char line[log_line_limit];
        va_list arguments;
        va_start(arguments, format);
        const int length = std::vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
        if (length < 0) {
            return;
        }
        const std::shared_lock<std::shared_mutex> held(slot_leaving[Slot]);
        if (Player *target = slot_players[Slot].load(std::memory_order_acquire)) {
            target->log_core_line(level, line);
        }
    }
    // The player's files, from any thread; a call that comes as the player
    // goes answers `failed`.
    template <typename Result, typename Act> static Result with_files(Result failed, Act &&act) {
        const std::shared_lock<std::shared_mutex> held(slot_leaving[Slot]);
        Player *target = slot_players[Slot].load(std::memory_order_acquire);
        return target != nullptr ? act(target->vfs()) : failed;
    }
    using File = retro_vfs_file_handle *;
    using Directory = retro_vfs_dir_handle *;
    static const char *get_path(File f) {
        return with_files<const char *>(nullptr, [&](VfsFiles &v) { return v.path(f); });
    }
    static File open(const char *path, unsigned mode, unsigned) {
        return with_files<File>(nullptr, [&](VfsFiles &v) { return v.open(path, mode); });
    }
    static int close(File f) {
        return with_files(-1, [&](VfsFiles &v) { return v.close(f); });
    }
    static int64_t size(File f) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.size(f); });
    }
    static int64_t truncate(File f, int64_t length) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.truncate(f, length); });
    }
    static int64_t tell(File f) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.tell(f); });
    }
    static int64_t seek(File f, int64_t offset, int whence) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.seek(f, offset, whence); });
    }
    static int64_t read(File f, void *s, uint64_t length) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.read(f, s, length); });
    }
    static int64_t write(File f, const void *s, uint64_t length) {
        return with_files<int64_t>(-1, [&](VfsFiles &v) { return v.write(f, s, length); });
    }
    static int flush(File f) {
        return with_files(-1, [&](VfsFiles &v) { return v.flush(f); });
    }
    static int remove(const char *path) {
        return with_files(-1, [&](VfsFiles &v) { return v.remove(path); });
    }
    static int rename(const char *from, const char *to) {
        return with_files(-1, [&](VfsFiles &v) { return v.rename(from, to); });
    }
    static int stat(const char *path, int32_t *size) {
        return with_files(0, [&](VfsFiles &v) { return v.stat(path, size); });
    }
    static int mkdir(const char *path) {
        return with_files(-1, [&](VfsFiles &v) { return v.mkdir(path); });
    }
    static Directory opendir(const char *path, bool hidden) {
        return with_files<Directory>(nullptr, [&](VfsFiles &v) { return v.opendir(path, hidden); });
    }
    static bool readdir(Directory d) {
        return with_files(false, [&](VfsFiles &v) { return v.readdir(d); });
    }
    static const char *dirent_get_name(Directory d) {
        return with_files<const char *>(nullptr, [&](VfsFiles &v) { return v.dirent_name(d); });
    }
    static bool dirent_is_dir(Directory d) {
        return with_files(false, [&](VfsFiles &v) { return v.dirent_is_dir(d); });
    }
    static int closedir(Directory d) {
        return with_files(-1, [&](VfsFiles &v) { return v.closedir(d); });
    }
    static inline retro_vfs_interface vfs = {
        get_path, open,    close,           size,          tell,     seek, read,
        write,    flush,   remove,          rename,        truncate, stat, mkdir,
        opendir,  readdir, dirent_get_name, dirent_is_dir, closedir};

    static bool rumble(unsigned port, retro_rumble_effect effect, uint16_t strength) {
        const std::shared_lock<std::shared_mutex> held(slot_leaving[Slot]);
        Player *target = slot_players[Slot].load(std::memory_order_acquire);
        return target != nullptr &&
               target->set_rumble(port, static_cast<unsigned>(effect), strength);
    }
};

template <std::size_t... Slots>
constexpr std::array<CoreCallbacks, sizeof...(Slots)> make_slots(std::index_sequence<Slots...>) {
    return {{{&SlotFunctions<Slots>::environment, &SlotFunctions<Slots>::video_refresh,
              &SlotFunctions<Slots>::audio_sample, &SlotFunctions<Slots>::audio_sample_batch,
              &SlotFunctions<Slots>::input_poll, &SlotFunctions<Slots>::input_state,
              &SlotFunctions<Slots>::log, &SlotFunctions<Slots>::rumble,
              &SlotFunctions<Slots>::vfs}...}};
}

constexpr std::array<CoreCallbacks, callback_slot_count> slots =
    make_slots(std::make_index_sequence<callback_slot_count>());

std::size_t index_of(const CoreCallbacks *slot) {
    return static_cast<std::size_t>(slot - slots.data());
}

} // namespace

const CoreCallbacks *claim_callback_slot(Player &player) {
    const std::lock_guard<std::mutex> lock(slots_mutex);
    for (std::size_t slot = 0; slot < callback_slot_count; ++slot) {
        if (!slot_taken[slot]) {
            slot_taken[slot] = true;
            slot_players[slot].store(&player, std::memory_order_release);
            return &slots[slot];
        }
    }
    return nullptr;
}

void release_callback_slot(const CoreCallbacks *slot, bool reusable) {
    if (slot == nullptr) {
        return;
    }
    const std::size_t index = index_of(slot);
    const std::lock_guard<std::mutex> lock(slots_mutex);
    {
        const std::unique_lock<std::shared_mutex> leaving(slot_leaving[index]);
        slot_players[index].store(nullptr, std::memory_order_release);
    }
    slot_taken[index] = !reusable;
}

std::thread::id enter_callback_slot(const CoreCallbacks *slot) {
    if (slot == nullptr) {
        return {};
    }
    return slot_threads[index_of(slot)].exchange(std::this_thread::get_id(),
                                                 std::memory_order_acq_rel);
}

void leave_callback_slot(const CoreCallbacks *slot, std::thread::id previous) {
    if (slot != nullptr) {
        slot_threads[index_of(slot)].store(previous, std::memory_order_release);
    }
}

} // namespace tovarune
