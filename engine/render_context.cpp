#include "engine/render_context.h"

#include "engine/core_pair.h"

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace tandemo {

namespace {

void freeAll(RenderContext::Contexts& contexts)
{
    // Each context goes before its core, which it shares: the core may go with it.
    for (const auto& [core, context] : contexts) {
        mpv_render_context_set_update_callback(context, nullptr, nullptr);
        mpv_render_context_free(context);
    }
    contexts.clear();
}

bool draw(mpv_render_context* context, const RenderContext::Picture& picture, bool untilDue)
{
    int blockForTargetTime = untilDue ? 1 : 0;
    if (!picture.pixels) {
        mpv_opengl_fbo fbo{static_cast<int>(picture.framebuffer), picture.size.width(),
                           picture.size.height(), 0};
        // Unflipped, the picture's top row is the framebuffer's first row, the first one read
        // back: the picture reaches memory top row first, as Qt lays out an image.
        int flipY = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        return mpv_render_context_render(context, params) >= 0;
    }
    int surfaceSize[2] = {picture.size.width(), picture.size.height()};
    std::size_t stride = picture.stride;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(picture.format)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, picture.pixels},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(context, params) >= 0;
}

void skip(mpv_render_context* context)
{
    int skipRendering = 1;
    int blockForTargetTime = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(context, params);
}

// A context for each of the engine's cores; none if the one showing cannot have one. A waiting
// core that cannot is given up: the engine loops by seeking back instead, as when that core
// cannot open the file.
template <typename MakeParams>
RenderContext::Contexts contextsFor(CorePair& cores, MakeParams makeParams)
{
    RenderContext::Contexts contexts;
    for (const MpvCore& core : cores.cores()) {
        mpv_render_context* context = nullptr;
        if (mpv_render_context_create(&context, core.get(), makeParams().data()) < 0) {
            if (core == cores.shown().core) {
                freeAll(contexts);
                return {};
            }
            cores.giveUpWaiting();
            break;
        }
        contexts.emplace_back(core, context);
    }
    return contexts;
}

} // namespace

RenderContext::RenderContext(CorePair& cores, Contexts contexts)
    : m_cores(cores)
    , m_contexts(std::move(contexts))
{
    followShownCore();
}

RenderContext::~RenderContext()
{
    freeAll(m_contexts);
}

std::unique_ptr<RenderContext> RenderContext::software(CorePair& cores)
{
    Contexts contexts = contextsFor(cores, [] {
        return std::vector<mpv_render_param>{
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
    });
    if (contexts.empty())
        return nullptr;
    return std::unique_ptr<RenderContext>(new RenderContext(cores, std::move(contexts)));
}

std::unique_ptr<RenderContext> RenderContext::openGL(CorePair& cores, const OpenGLSetUp& setUp)
{
    mpv_opengl_init_params glInit{setUp.getProcAddress, nullptr};
    Contexts contexts = contextsFor(cores, [&] {
        std::vector<mpv_render_param> params{
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        };
        if (setUp.x11Display)
            params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, setUp.x11Display});
        if (setUp.waylandDisplay)
            params.push_back({MPV_RENDER_PARAM_WL_DISPLAY, setUp.waylandDisplay});
        params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
        return params;
    });
    if (contexts.empty())
        return nullptr;
    return std::unique_ptr<RenderContext>(new RenderContext(cores, std::move(contexts)));
}

void RenderContext::followShownCore()
{
    mpv_render_context* shown = m_contexts.front().second;
    for (const auto& [core, context] : m_contexts) {
        if (core == m_cores.shown().core)
            shown = context;
    }
    m_shown = shown;
}

void RenderContext::setUpdateCallback(void (*callback)(void* data), void* data)
{
    for (const auto& [core, context] : m_contexts)
        mpv_render_context_set_update_callback(context, callback, data);
}

bool RenderContext::hasNewFrame(const Picture* ahead, bool* drewAhead)
{
    bool shownHasFrame = false;
    mpv_render_context* const showing = shown();
    for (const auto& [core, context] : m_contexts) {
        if (!(mpv_render_context_update(context) & MPV_RENDER_UPDATE_FRAME))
            continue;
        if (context == showing) {
            shownHasFrame = true;
            continue;
        }
        // Held until its core shows: drawn now, or taken undrawn and drawn as it shows.
        forgetDrawnAhead(context);
        if (ahead && draw(context, *ahead, /*untilDue=*/false)) {
            m_drawnAhead = context;
            if (drewAhead)
                *drewAhead = true;
        } else
            skip(context);
    }
    return shownHasFrame;
}

bool RenderContext::takeDrawnAhead()
{
    if (!m_drawnAhead || m_drawnAhead != shown())
        return false;
    m_drawnAhead = nullptr;
    return true;
}

void RenderContext::forgetDrawnAhead(mpv_render_context* context)
{
    if (m_drawnAhead == context)
        m_drawnAhead = nullptr;
}

bool RenderContext::drawInto(const Picture& picture, bool untilDue)
{
    mpv_render_context* const context = shown();
    forgetDrawnAhead(context);
    m_dueUs = 0;
    if (untilDue && !picture.pixels) {
        // Waited for inside, a GL picture would be drawn only once due, as it is flushed.
        mpv_render_frame_info next{};
        mpv_render_param info{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next};
        if (mpv_render_context_get_info(context, info) >= 0 &&
            (next.flags & MPV_RENDER_FRAME_INFO_PRESENT))
            m_dueUs = next.target_time;
        untilDue = false;
    }
    return draw(context, picture, untilDue);
}

void RenderContext::waitUntilDue()
{
    // A frame is handed over some milliseconds ahead; a longer wait would be a clock gone wrong.
    constexpr std::int64_t kLongestWaitUs = 100'000;
    const std::int64_t due = std::exchange(m_dueUs, 0);
    if (due <= 0 || m_contexts.empty())
        return;
    const std::int64_t wait = due - mpv_get_time_us(m_contexts.front().first.get());
    if (wait > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(wait, kLongestWaitUs)));
}

void RenderContext::skipFrame()
{
    mpv_render_context* const context = shown();
    forgetDrawnAhead(context);
    skip(context);
}

} // namespace tandemo
