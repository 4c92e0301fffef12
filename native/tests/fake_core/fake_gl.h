#pragma once

// What the fake core's entry points do in its OpenGL build.

#include <libretro.h>

#include <cstddef>

void fake_core_record(const char *entry_point); // fake_core.cpp
void fake_gl_reset();
void fake_gl_saw(std::size_t call);
bool fake_gl_load_game(retro_environment_t environment);
void fake_gl_run(retro_video_refresh_t video_refresh);
