#pragma once

#include "media/pixel_conversion.h"

namespace tovarune {

// Where accepted video frames go. The host decides which frames count and when
// the picture must be dropped; the sink owns whatever shows them.
class FrameSink {
public:
    // A frame with data, a non-zero size and not the hardware-frame marker.
    virtual void present_frame(const VideoFrame &frame) = 0;
    // A game ended or began: the current picture must go.
    virtual void drop_frame() = 0;

protected:
    ~FrameSink() = default;
};

} // namespace tovarune
