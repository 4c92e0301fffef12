#pragma once

#include <libretro.h>

namespace tovarune {

class Player;

// What a core's six callbacks do for the player they reach (callback_slots.h
// routes each core's calls to its own player).
bool environment_callback(Player &player, unsigned command, void *data);
void video_refresh_callback(Player &player, const void *data, unsigned width, unsigned height,
                            size_t pitch);
void audio_sample_callback(Player &player, int16_t left, int16_t right);
size_t audio_sample_batch_callback(Player &player, const int16_t *data, size_t frames);
void input_poll_callback(Player &player);
int16_t input_state_callback(Player &player, unsigned port, unsigned device, unsigned index,
                             unsigned id);

} // namespace tovarune
