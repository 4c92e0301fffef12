#include "core/callback_slots.h"
#include "core/callbacks.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

namespace tovarune {

namespace {

// Read by the callbacks on whatever thread a core calls them, written when a
// player takes or leaves its slot.
std::array<std::atomic<Player *>, callback_slot_count> slot_players{};

// Which slots are taken. Players load and unload on many threads.
std::mutex slots_mutex;
std::array<bool, callback_slot_count> slot_taken{};

template <std::size_t Slot> struct SlotFunctions {
    static Player *player() { return slot_players[Slot].load(std::memory_order_acquire); }

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
    // Nothing to latch: the input state is read as it is when the core asks.
    static void input_poll() {}
    static int16_t input_state(unsigned port, unsigned device, unsigned index, unsigned id) {
        const Player *target = player();
        return target == nullptr ? 0 : input_state_callback(*target, port, device, index, id);
    }
};

template <std::size_t... Slots>
constexpr std::array<CoreCallbacks, sizeof...(Slots)> make_slots(std::index_sequence<Slots...>) {
    return {{{&SlotFunctions<Slots>::environment, &SlotFunctions<Slots>::video_refresh,
              &SlotFunctions<Slots>::audio_sample, &SlotFunctions<Slots>::audio_sample_batch,
              &SlotFunctions<Slots>::input_poll, &SlotFunctions<Slots>::input_state}...}};
}

constexpr std::array<CoreCallbacks, callback_slot_count> slots =
    make_slots(std::make_index_sequence<callback_slot_count>());

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
    const auto index = static_cast<std::size_t>(slot - slots.data());
    const std::lock_guard<std::mutex> lock(slots_mutex);
    slot_players[index].store(nullptr, std::memory_order_release);
    slot_taken[index] = !reusable;
}

} // namespace tovarune
