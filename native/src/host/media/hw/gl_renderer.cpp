#include "media/hw/gl_framebuffer.h"
#include "media/hw/gl_functions.h"
#include "media/hw/gl_read_back.h"
#include "media/hw/graphics_context.h"
#include "media/hw/hardware_renderer.h"

namespace tovarune {

namespace {

class GlRenderer final : public HardwareRenderer {
public:
    explicit GlRenderer(std::unique_ptr<GraphicsContext> context) : context_(std::move(context)) {}

    bool make_current() override { return context_->make_current(); }
    void release() override { context_->release(); }
    retro_proc_address_t proc_address(const char *name) override {
        return context_->proc_address(name);
    }

    bool create_target(unsigned width, unsigned height, bool depth, bool stencil) override {
        if (!loaded_ && !(loaded_ = gl_.load(*context_))) {
            return false;
        }
        drop_target();
        return framebuffer_.create(gl_, width, height, depth, stencil);
    }
    bool grow_target(unsigned width, unsigned height) override {
        return framebuffer_.id() != 0 && framebuffer_.grow(gl_, width, height);
    }
    void drop_target() override {
        if (loaded_) {
            read_back_.reset(gl_);
            framebuffer_.destroy(gl_);
        }
    }
    std::uintptr_t target() const override { return framebuffer_.id(); }
    unsigned target_width() const override { return framebuffer_.width(); }
    unsigned target_height() const override { return framebuffer_.height(); }

    ReadPixels read(unsigned width, unsigned height) override {
        return read_back_.read(gl_, framebuffer_.id(), width, height);
    }
    void set_delayed_read(bool delayed) override { read_back_.set_delayed(delayed); }

private:
    std::unique_ptr<GraphicsContext> context_;
    GlFunctions gl_;
    bool loaded_ = false;
    GlFramebuffer framebuffer_;
    GlReadBack read_back_;
};

} // namespace

std::unique_ptr<HardwareRenderer> create_gl_renderer(const retro_hw_render_callback &request,
                                                     bool &refused) {
    using Api = ContextRequest::Api;
    ContextRequest wanted;
    wanted.debug = request.debug_context;
    refused = false;
    switch (request.context_type) {
    case RETRO_HW_CONTEXT_OPENGL: // any version: the driver's newest
        break;
    case RETRO_HW_CONTEXT_OPENGL_CORE:
        wanted = {Api::desktop_core, request.version_major, request.version_minor, wanted.debug};
        if (wanted.major == 0) {
            wanted.major = 3; // the first core profile
            wanted.minor = 2;
        }
        break;
    case RETRO_HW_CONTEXT_OPENGLES2:
        wanted = {Api::embedded, 2, 0, wanted.debug};
        break;
    case RETRO_HW_CONTEXT_OPENGLES3:
        wanted = {Api::embedded, 3, 0, wanted.debug};
        break;
    case RETRO_HW_CONTEXT_OPENGLES_VERSION:
        wanted = {Api::embedded, request.version_major, request.version_minor, wanted.debug};
        if (wanted.major < 2) {
            wanted.major = 3;
            wanted.minor = 1;
        }
        break;
    default:
        refused = true;
        return nullptr;
    }
    std::unique_ptr<GraphicsContext> context = create_gl_context(wanted);
    if (context == nullptr) {
        return nullptr;
    }
    return std::make_unique<GlRenderer>(std::move(context));
}

} // namespace tovarune
