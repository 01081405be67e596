#include "engine/render_context.h"

#include "engine/mpv_engine.h"

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <vector>

namespace tandemo {

RenderContext::RenderContext(mpv_render_context* context)
    : m_context(context)
{
}

RenderContext::~RenderContext()
{
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
}

std::unique_ptr<RenderContext> RenderContext::software(MpvEngine& engine)
{
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (mpv_render_context_create(&context, engine.handle(), params) < 0)
        return nullptr;
    return std::unique_ptr<RenderContext>(new RenderContext(context));
}

std::unique_ptr<RenderContext>
RenderContext::openGL(MpvEngine& engine, GetProcAddress getProcAddress, void* x11Display)
{
    mpv_opengl_init_params glInit{getProcAddress, nullptr};
    std::vector<mpv_render_param> params{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
    };
    if (x11Display)
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11Display});
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    mpv_render_context* context = nullptr;
    if (mpv_render_context_create(&context, engine.handle(), params.data()) < 0)
        return nullptr;
    return std::unique_ptr<RenderContext>(new RenderContext(context));
}

void RenderContext::setUpdateCallback(void (*callback)(void* data), void* data)
{
    mpv_render_context_set_update_callback(m_context, callback, data);
}

bool RenderContext::hasNewFrame()
{
    return mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
}

bool RenderContext::drawInto(unsigned char* pixels, QSize size, std::size_t stride,
                             const char* format)
{
    int surfaceSize[2] = {size.width(), size.height()};
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(m_context, params) >= 0;
}

bool RenderContext::drawInto(unsigned framebuffer, QSize size)
{
    mpv_opengl_fbo fbo{static_cast<int>(framebuffer), size.width(), size.height(), 0};
    // A GL framebuffer has its origin at the bottom left; without the flip the picture is
    // upside down, on the screen and when read back.
    int flipY = 1;
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(m_context, params) >= 0;
}

void RenderContext::skipFrame()
{
    int skip = 1;
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_context, params);
}

} // namespace tandemo
