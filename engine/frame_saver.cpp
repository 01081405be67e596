#include "engine/frame_saver.h"

#include "engine/full_frame.h"

#include <QImage>

#include <utility>

namespace tandemo {

FrameSaver::FrameSaver(Screenshot screenshot, QObject* parent)
    : QObject(parent)
    , m_screenshot(std::move(screenshot))
    , m_fullDecode(
          WorkLength::Short, [](double) {},
          [this](std::optional<bool> written) { finish(written.value_or(false)); })
{
}

void FrameSaver::save(const QString& path, const Showing& showing)
{
    // One save at a time: each holds a decoded frame and its encoding, and a held key would
    // otherwise queue them by the hundred.
    if (m_save) {
        emit refused();
        return;
    }
    auto save = std::make_unique<FrameSave>(path);
    if (!save->isReady() || showing.idle || (showing.decodedInPart && !showing.file)) {
        emit saved(path, false);
        return;
    }
    m_save = std::move(save);
    if (showing.decodedInPart) {
        const QString staged = m_save->stagingPath();
        auto held = std::make_shared<RegularFile>(showing.file->reopened());
        const double frame = showing.frameStart;
        const bool mirrored = showing.mirrored;
        const QString filter = showing.filter;
        const QString toneMap = showing.toneMap;
        m_fullDecode.start([=](const std::atomic_bool& cancelled, const auto&) {
            const QImage picture =
                decodeFullFrame(*held, frame, mirrored, cancelled, filter, toneMap);
            return std::optional<bool>(!picture.isNull() && picture.save(staged, "PNG"));
        });
        return;
    }
    if (!m_screenshot(m_save->stagingPath()))
        finish(false);
}

void FrameSaver::screenshotWritten(bool written)
{
    finish(written);
}

void FrameSaver::finish(bool written)
{
    if (const std::unique_ptr<FrameSave> save = std::move(m_save))
        emit saved(save->destination(), save->finish(written));
}

} // namespace tandemo
