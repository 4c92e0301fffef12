#include "callbacks.h"
#include "player.h"

#include <libretro.h>

#include <gtest/gtest.h>

namespace tovarune {
namespace {

class InputQueries : public ::testing::Test {
protected:
    void SetUp() override { active_player = &player; }
    void TearDown() override { active_player = nullptr; }
    std::int16_t ask(unsigned port, unsigned device, unsigned index, unsigned id) {
        return input_state_callback(port, device, index, id);
    }
    Player player;
};

TEST_F(InputQueries, HeldButtonsAnswerOneOnTheFirstJoypad) {
    player.set_button(RETRO_DEVICE_ID_JOYPAD_A, true);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_R3, true);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A), 1);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_R3), 1);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B), 0);
    // Subclassed joypads are answered like the plain one.
    EXPECT_EQ(ask(0, RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_JOYPAD, 0), 0, RETRO_DEVICE_ID_JOYPAD_A),
              1);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_A, false);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A), 0);
}

TEST_F(InputQueries, EverythingElseAnswersZero) {
    for (int id = 0; id < 16; ++id) {
        player.set_button(id, true);
    }
    EXPECT_EQ(ask(1, RETRO_DEVICE_JOYPAD, 0, 8), 0);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 1, 8), 0);
    EXPECT_EQ(ask(0, RETRO_DEVICE_MOUSE, 0, 8), 0);
    EXPECT_EQ(ask(0, RETRO_DEVICE_ANALOG, 0, 8), 0);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_MASK), 0);
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, 16), 0);
    active_player = nullptr;
    EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, 8), 0);
}

TEST_F(InputQueries, OutOfRangeIdsChangeNothing) {
    player.set_button(16, true);
    player.set_button(-1, true);
    player.set_button(INT32_MIN, true);
    for (unsigned id = 0; id < 16; ++id) {
        EXPECT_EQ(ask(0, RETRO_DEVICE_JOYPAD, 0, id), 0) << id;
    }
}

} // namespace
} // namespace tovarune
