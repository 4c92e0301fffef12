#pragma once

#include <libretro.h>

#include <cstddef>
#include <thread>

namespace tovarune {

class Player;

// The functions a core is given to call back. They carry no context, so each
// player with a core holds a slot: a set of functions that reach that player
// alone.
struct CoreCallbacks {
    retro_environment_t environment;
    retro_video_refresh_t video_refresh;
    retro_audio_sample_t audio_sample;
    retro_audio_sample_batch_t audio_sample_batch;
    retro_input_poll_t input_poll;
    retro_input_state_t input_state;
    // Handed out through the environment; the only ones taken from any
    // thread, since they only record.
    retro_log_printf_t log;
    retro_set_rumble_state_t rumble;
    // The VFS interface, taken from any thread, as cores read files from
    // threads of their own.
    retro_vfs_interface *vfs;
};

// How many players can have a core loaded at once.
inline constexpr std::size_t callback_slot_count = 16;

// The longest log line kept, in bytes; longer ones are cut.
inline constexpr std::size_t log_line_limit = 1024;

// Takes a free slot for `player`; null when every slot is taken.
const CoreCallbacks *claim_callback_slot(Player &player);

// From now on the slot's functions reach nobody (they do nothing, or answer 0
// or false). A slot whose core may still be on a stack cannot be reused: a
// later player would get that core's calls.
void release_callback_slot(const CoreCallbacks *slot, bool reusable);

// The slot takes calls from the calling thread, and from no other, until
// left; entering returns the thread it took calls from before (scopes nest).
// A null slot is ignored.
std::thread::id enter_callback_slot(const CoreCallbacks *slot);
void leave_callback_slot(const CoreCallbacks *slot, std::thread::id previous);

} // namespace tovarune
