#pragma once

#include <libretro.h>

namespace tovarune {

class Player;

// The player whose core the callbacks serve; null when there is none. Not
// owned: a player clears it when it lets its core go.
extern Player *active_player;

// The six functions handed to a core. They carry no context, so each works on
// active_player and does nothing (or answers 0 or false) while it is null.
bool environment_callback(unsigned command, void *data);
void video_refresh_callback(const void *data, unsigned width, unsigned height, size_t pitch);
void audio_sample_callback(int16_t left, int16_t right);
size_t audio_sample_batch_callback(const int16_t *data, size_t frames);
void input_poll_callback();
int16_t input_state_callback(unsigned port, unsigned device, unsigned index, unsigned id);

} // namespace tovarune
