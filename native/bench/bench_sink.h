#pragma once

#include "media/frame_sink.h"
#include "media/pixel_conversion.h"

#include <cstdint>
#include <vector>

namespace tovarune::bench {

// Converts each frame into one buffer kept across frames: the host's share of
// the work, without the engine's image and texture.
class ConvertingSink : public FrameSink {
public:
    void present_frame(const VideoFrame &frame) override {
        rgba.resize(rgba_size(frame.width, frame.height));
        convert_frame(frame, rgba.data());
    }
    void drop_frame() override {}

    std::vector<std::uint8_t> rgba;
};

} // namespace tovarune::bench
