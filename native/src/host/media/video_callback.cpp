#include "core/callbacks.h"
#include "player.h"

namespace tovarune {

void video_refresh_callback(Player &player, const void *data, unsigned width, unsigned height,
                            size_t pitch) {
    if (data == RETRO_HW_FRAME_BUFFER_VALID) {
        player.hardware_render().present(width, height, player.frame_sink());
        return;
    }
    if (data == nullptr) {
        return;
    }
    // A frame beyond the engine's limits, or with rows too short for the
    // recorded format (a core that draws in another), is never read.
    const VideoFrame frame{data, width, height, pitch, player.pixel_format()};
    if (!frame_is_convertible(frame)) {
        return;
    }
    if (FrameSink *sink = player.frame_sink()) {
        sink->present_frame(frame);
    }
}

} // namespace tovarune
