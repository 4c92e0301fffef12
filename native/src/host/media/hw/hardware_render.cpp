#include "media/hw/hardware_render.h"

#include "media/hw/graphics_context.h"
#include "media/hw/hardware_renderer.h"

#include <algorithm>
#include <cstring>

namespace tovarune {

namespace {

// The render whose context is current on this thread, if any. The two
// functions a core is given carry no context: they answer for this one.
thread_local HardwareRender *current = nullptr;
thread_local HardwareRenderer *current_renderer = nullptr;

std::uintptr_t current_framebuffer() {
    return current_renderer != nullptr ? current_renderer->target() : 0;
}

retro_proc_address_t proc_address(const char *name) {
    if (name == nullptr) {
        return nullptr;
    }
    return current_renderer != nullptr ? current_renderer->proc_address(name)
                                       : gl_proc_address_without_context(name);
}

void release_current() {
    if (current_renderer != nullptr) {
        current_renderer->release();
    }
    current = nullptr;
    current_renderer = nullptr;
}

bool flag(const bool &field) {
    unsigned char byte = 0;
    std::memcpy(&byte, &field, 1);
    return byte != 0;
}

// The core's request, read without trusting its enum and its flags to hold
// values of their types.
retro_hw_render_callback sanitized(const retro_hw_render_callback &request) {
    retro_hw_render_callback copy;
    std::memcpy(&copy, &request, sizeof copy);
    std::uint32_t type = 0;
    std::memcpy(&type, &request.context_type, sizeof type);
    copy.context_type = type <= RETRO_HW_CONTEXT_DIRECT3D ? static_cast<retro_hw_context_type>(type)
                                                          : RETRO_HW_CONTEXT_DUMMY;
    copy.depth = flag(request.depth);
    copy.stencil = flag(request.stencil);
    copy.bottom_left_origin = flag(request.bottom_left_origin);
    copy.cache_context = flag(request.cache_context);
    copy.debug_context = flag(request.debug_context);
    return copy;
}

bool same_kind(const retro_hw_render_callback &a, const retro_hw_render_callback &b) {
    return a.context_type == b.context_type && a.version_major == b.version_major &&
           a.version_minor == b.version_minor && a.debug_context == b.debug_context;
}

} // namespace

HardwareRender::HardwareRender() = default;

HardwareRender::~HardwareRender() { drop_renderer(); }

HardwareRender *HardwareRender::enter() {
    HardwareRender *before = current;
    if (renderer_ != nullptr && before != this) {
        release_current();
        make_current_here();
    }
    return before;
}

void HardwareRender::leave(HardwareRender *before) {
    if (current == before) {
        return;
    }
    // This scope made a context current, or a context was made inside it.
    release_current();
    if (before != nullptr && before->renderer_ != nullptr) {
        before->make_current_here();
    }
}

void HardwareRender::make_current_here() {
    if (renderer_->make_current()) {
        current = this;
        current_renderer = renderer_.get();
    }
}

void HardwareRender::drop_renderer() {
    if (current == this) {
        release_current();
    }
    renderer_.reset();
    accepted_ = prepared_ = reset_done_ = false;
}

bool HardwareRender::negotiate(retro_hw_render_callback *core_request) {
    if (core_request == nullptr) {
        return false;
    }
    retro_hw_render_callback wanted = sanitized(*core_request);
    retro_hw_render_callback *request = &wanted;
    if (request->context_type == RETRO_HW_CONTEXT_NONE) {
        drop_renderer();
        callback_ = retro_hw_render_callback{};
        context_failed_ = false;
        return true;
    }
    // A context the core kept from its last game serves a request like it, as
    // does the context of this game when the core asks for it again.
    const bool kept = renderer_ != nullptr && same_kind(callback_, *request);
    if (kept && accepted_ &&
        (request->depth != callback_.depth || request->stencil != callback_.stencil)) {
        prepared_ = false; // a framebuffer with other attachments, in the same context
    }
    if (!kept) {
        bool refused = false;
        std::unique_ptr<HardwareRenderer> renderer = create_gl_renderer(*request, refused);
        if (renderer == nullptr) {
            context_failed_ = !refused;
            return false;
        }
        drop_renderer();
        renderer_ = std::move(renderer);
    }
    // Filled before the answer: a core may keep them at once.
    core_request->get_current_framebuffer = request->get_current_framebuffer = current_framebuffer;
    core_request->get_proc_address = request->get_proc_address = proc_address;
    if (!kept || !accepted_) {
        prepared_ = false;
    }
    callback_ = *request;
    accepted_ = true;
    context_failed_ = false;
    if (current != this) {
        // For the rest of the core's call, which CoreScope ends.
        release_current();
        make_current_here();
    }
    renderer_->set_delayed_read(delayed_read_);
    return true;
}

bool HardwareRender::prepare(unsigned max_width, unsigned max_height,
                             retro_hw_context_reset_t &reset) {
    reset = nullptr;
    if (!accepted_) {
        return true;
    }
    const ContextScope inside(this);
    if (current != this) {
        return false;
    }
    const unsigned width = std::max({max_width, max_width_, 1u});
    const unsigned height = std::max({max_height, max_height_, 1u});
    if (prepared_) {
        renderer_->grow_target(width, height);
        return true;
    }
    if (!renderer_->create_target(width, height, callback_.depth, callback_.stencil)) {
        renderer_->drop_target();
        return false;
    }
    prepared_ = true;
    if (!reset_done_) {
        reset_done_ = true;
        reset = callback_.context_reset;
    }
    return true;
}

void HardwareRender::set_max_size(unsigned width, unsigned height) {
    max_width_ = std::max(max_width_, width);
    max_height_ = std::max(max_height_, height);
    if (prepared_ && current == this) {
        renderer_->grow_target(max_width_, max_height_);
    }
}

retro_hw_context_reset_t HardwareRender::take_context_destroy() {
    if (!accepted_ || !reset_done_) {
        return nullptr;
    }
    reset_done_ = false;
    return callback_.context_destroy;
}

void HardwareRender::end_game() {
    context_failed_ = false;
    max_width_ = max_height_ = 0;
    if (!accepted_ || !callback_.cache_context) {
        drop_renderer();
        return;
    }
    const ContextScope inside(this);
    renderer_->drop_target();
    accepted_ = prepared_ = reset_done_ = false;
}

void HardwareRender::forget() {
    drop_renderer();
    callback_ = retro_hw_render_callback{};
    context_failed_ = false;
    max_width_ = max_height_ = 0;
}

void HardwareRender::present(unsigned width, unsigned height, FrameSink *sink) {
    if (!prepared_ || current != this || sink == nullptr || width == 0 || height == 0 ||
        width > renderer_->target_width() || height > renderer_->target_height() ||
        width > max_frame_side || height > max_frame_side) {
        return;
    }
    const ReadPixels pixels = renderer_->read(width, height);
    if (pixels.rows == nullptr) {
        return;
    }
    // libretro's rows run top down, unless the core draws as OpenGL does.
    const std::size_t row = std::size_t{pixels.width} * 4;
    const std::uint8_t *data = pixels.rows;
    if (callback_.bottom_left_origin || !pixels.bgra) {
        frame_.resize(row * pixels.height);
        for (unsigned y = 0; y < pixels.height; ++y) {
            const unsigned from = callback_.bottom_left_origin ? pixels.height - 1 - y : y;
            const std::uint8_t *source = pixels.rows + row * from;
            std::uint8_t *target = frame_.data() + row * y;
            if (pixels.bgra) {
                std::memcpy(target, source, row);
                continue;
            }
            for (std::size_t x = 0; x < row; x += 4) {
                target[x] = source[x + 2];
                target[x + 1] = source[x + 1];
                target[x + 2] = source[x];
            }
        }
        data = frame_.data();
    }
    sink->present_frame(
        VideoFrame{data, pixels.width, pixels.height, row, RETRO_PIXEL_FORMAT_XRGB8888});
}

void HardwareRender::set_delayed_read(bool delayed) {
    delayed_read_ = delayed;
    if (renderer_ != nullptr) {
        renderer_->set_delayed_read(delayed);
    }
}

} // namespace tovarune
