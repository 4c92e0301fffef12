#pragma once

#include "content/byte_buffer.h"

#include <libretro.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tovarune {

// What a core says of the content it takes, and what it is told of the game
// it was given: whether it starts without a game, which extensions it loads
// differently from its system info, and the extended game info. Kept for as
// long as the core is loaded.
class ContentRequests {
public:
    void set_supports_no_game(bool supported) { supports_no_game_ = supported; }
    bool supports_no_game() const { return supports_no_game_; }

    // Keeps the overrides of a list ended by a null `extensions`; an
    // extension already known keeps its first override. Extensions compare
    // without case.
    void add_overrides(const retro_system_content_info_override *list);
    struct Override {
        bool need_fullpath;
        bool persistent_data;
    };
    // Null when the core gave none for this extension (lower case, no dot).
    const Override *override_for(const std::string &extension) const;

    // The game as the core is given it; `data` is null for a game the core
    // opens itself. The texts stay valid until forget_game().
    void describe_game(const std::string &path, const void *data, std::size_t size,
                       bool persistent_data);
    // Null while no game is described (no game, or one started without
    // content).
    const retro_game_info_ext *game() const { return described_ ? &game_ : nullptr; }
    void forget_game();

    // Bytes a core may read until it is deinitialised.
    void keep_until_deinit(ByteBuffer &&bytes) { kept_.push_back(std::move(bytes)); }

    // After retro_deinit: everything goes.
    void forget();

private:
    bool supports_no_game_ = false;
    std::vector<std::pair<std::string, Override>> overrides_;
    bool described_ = false;
    std::string full_path_, dir_, name_, ext_;
    retro_game_info_ext game_{};
    std::vector<ByteBuffer> kept_;
};

// The extension of a path's file name, lower case and without the dot; empty
// when it has none. '/' and '\\' both end a folder's name.
std::string file_extension(const std::string &path);

} // namespace tovarune
