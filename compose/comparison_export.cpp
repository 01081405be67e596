#include "compose/comparison_export.h"

#include "analysis/sound_reader.h"
#include "analysis/video_writer.h"
#include "compose/side_by_side_yuv.h"
#include "platform/staged_file.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <QFileInfo>

#include <cmath>

namespace tandemo {

namespace {

constexpr int kSoundRate = 48000;
// Pictures and sound are written a few seconds at a time, each part's sound first.
constexpr double kPartSeconds = 5;

/// The sound of the sides heard over `count` samples from the first's moment `from`, mixed;
/// empty when none of them has sound there. A side at another pace is read at the first's.
std::vector<float> soundOf(const ComparisonExport::Plan& plan, double from, std::size_t count,
                           const std::atomic_bool& cancelled)
{
    std::vector<float> mixed(count, 0.0f);
    int heard = 0;
    for (int side = 0; side < 2; ++side) {
        if (plan.heard >= 0 && plan.heard != side)
            continue;
        const double pace = side == 0 ? 1.0 : plan.rate;
        const double start = side == 0 ? from : from * plan.rate + plan.secondAhead;
        const double seconds = double(count) / kSoundRate * pace;
        const auto sound = readSound(plan.files[side], std::max(0.0, start), seconds,
                                     int(std::lround(kSoundRate / pace)), cancelled);
        if (!sound)
            continue;
        // The excerpt may begin a little after the moment asked for (or the video before it).
        const auto lead =
            std::max<long>(0, std::lround((sound->start - start) / pace * kSoundRate));
        for (std::size_t i = 0; i < sound->samples.size() && std::size_t(lead) + i < count; ++i)
            mixed[std::size_t(lead) + i] += sound->samples[i];
        ++heard;
    }
    if (heard == 0)
        return {};
    for (float& sample : mixed)
        sample /= float(heard);
    return mixed;
}

/// The side-by-side layout in YUV, for pictures that suit it: laid out as composeExport() lays
/// them, at a fraction of the cost.
std::optional<SideBySideYuv> sideBySideInYuv(const ComparisonExport::Plan& plan, FrameCursor& first,
                                             FrameCursor& second, double from)
{
    if (plan.layout != ExportLayout::SideBySide || !first.showsAsDecoded() ||
        !second.showsAsDecoded())
        return std::nullopt;
    const AVFrame* left = first.frameAt(from);
    const AVFrame* right = second.frameAt(from * plan.rate + plan.secondAhead);
    if (!left || !right || !SideBySideYuv::suits(*left, *right))
        return std::nullopt;
    const int rightWidth = sideBySideWidth({right->width, right->height}, left->height);
    const QImage labels = sideBySideLabels({left->width + rightWidth, left->height}, left->width,
                                           plan.labels[0], plan.labels[1]);
    return std::optional<SideBySideYuv>(std::in_place, *left, *right, labels);
}

} // namespace

ComparisonExport::ComparisonExport(QObject* parent)
    : QObject(parent)
    , m_run(
          WorkLength::Long, [this](double share) { emit progressed(share); },
          [this](std::optional<Ending> ending) {
              const Ending end = ending.value_or(Ending{Outcome::Stopped, {}});
              emit finished(end.outcome, end.detail);
          })
{
}

void ComparisonExport::start(const Plan& plan)
{
    m_run.cancel();
    if (QFileInfo::exists(plan.destination) || QFileInfo(plan.destination).isSymLink()) {
        // Told as the work's end is, after the caller has set out to wait for it.
        QMetaObject::invokeMethod(
            this,
            [this, name = plan.destination] {
                emit finished(Outcome::Failed, tr("%1 is there already").arg(name));
            },
            Qt::QueuedConnection);
        return;
    }
    m_run.start([plan](const std::atomic_bool& cancelled, const auto& progress) {
        return std::optional<Ending>(run(plan, cancelled, progress));
    });
}

void ComparisonExport::cancel()
{
    if (!m_run.isRunning())
        return;
    // The work stops at its next picture; its staged file goes with it.
    m_run.cancel();
    emit finished(Outcome::Stopped, {});
}

ComparisonExport::Ending ComparisonExport::run(const Plan& plan, const std::atomic_bool& cancelled,
                                               const std::function<void(double)>& progress)
{
    FrameCursor first(plan.files[0], plan.mirrored[0], cancelled, plan.filters[0]);
    FrameCursor second(plan.files[1], plan.mirrored[1], cancelled, plan.filters[1]);
    if (!first.isOpen() || !second.isOpen())
        return {Outcome::Failed, tr("The videos cannot be read")};
    // A still stands beside every picture of the other, at the other's pace; two stills make
    // one picture.
    const bool stillFirst = first.isStill() && !second.isStill();
    const double fps = stillFirst ? second.frameRate() / plan.rate : first.frameRate();
    const auto secondAt = [&](double t) { return t * plan.rate + plan.secondAhead; };
    // The passage, or all that both videos have.
    double from = std::max(0.0, -plan.secondAhead / plan.rate);
    double to = first.isStill() ? (second.isStill() ? 1 / fps : qInf()) : first.duration();
    if (second.duration() > 0 && !second.isStill())
        to = std::min(to, (second.duration() - plan.secondAhead) / plan.rate);
    if (plan.passage) {
        from = plan.passage->start;
        to = plan.passage->end;
    }
    const auto frames = long(std::floor((to - from) * fps + 1e-6));
    if (frames < 1)
        return {Outcome::Failed, tr("The two videos have no stretch in common")};
    const auto compose = [&](long n) {
        const double t = from + double(n) / fps;
        return composeExport(plan.layout, first.at(t), second.at(secondAt(t)), plan.look,
                             plan.labels[0], plan.labels[1]);
    };
    std::optional<SideBySideYuv> laidInYuv = sideBySideInYuv(plan, first, second, from);
    const QImage opening = laidInYuv ? QImage() : compose(0);
    if (!laidInYuv && opening.isNull())
        return {Outcome::Failed, tr("The videos show no pictures")};

    const QFileInfo destination(plan.destination);
    StagedFile staged(destination.absolutePath(), destination.fileName());
    if (!staged.isValid())
        return {Outcome::Failed, tr("Cannot write in %1").arg(destination.absolutePath())};
    const auto samplesBefore = [&](long n) {
        return std::size_t(std::llround(double(n) / fps * kSoundRate));
    };
    const bool withSound = !soundOf(plan, from, samplesBefore(1), cancelled).empty();
    VideoWriter writer(staged.path(), laidInYuv ? laidInYuv->size() : opening.size(), fps,
                       withSound ? kSoundRate : 0,
                       laidInYuv ? laidInYuv->colourMatrix() : VideoWriter::kBt601);
    if (!writer.isOpen())
        return {Outcome::Failed, writer.error()};
    const auto writePicture = [&](long n) {
        if (laidInYuv) {
            const double t = from + double(n) / fps;
            const AVFrame* left = first.frameAt(t);
            const AVFrame* right = second.frameAt(secondAt(t));
            AVFrame* laid = left && right ? laidInYuv->compose(*left, *right) : nullptr;
            return laid && writer.writePicture(*laid);
        }
        QImage picture = n == 0 ? opening : compose(n);
        if (picture.size() != writer.size())
            picture = picture.copy(QRect(QPoint(0, 0), writer.size()));
        return writer.writePicture(picture.constBits(), int(picture.bytesPerLine()));
    };
    const auto part = std::max(1L, long(kPartSeconds * fps));
    for (long start = 0; start < frames; start += part) {
        const long end = std::min(frames, start + part);
        if (withSound) {
            const std::size_t count = samplesBefore(end) - samplesBefore(start);
            std::vector<float> sound = soundOf(plan, from + double(start) / fps, count, cancelled);
            sound.resize(count, 0.0f);
            if (!writer.writeSound(sound.data(), sound.size()))
                return {Outcome::Failed, writer.error()};
        }
        for (long n = start; n < end; ++n) {
            if (cancelled)
                return {Outcome::Stopped, {}};
            if (!writePicture(n))
                return {Outcome::Failed,
                        writer.error().isEmpty() ? tr("Out of memory") : writer.error()};
            progress(double(n + 1) / double(frames));
        }
    }
    if (!writer.finish())
        return {Outcome::Failed, writer.error()};
    if (!staged.placeAs(destination.absoluteFilePath()))
        return {Outcome::Failed, tr("Cannot write %1 (a full disk, or the name was taken "
                                    "meanwhile)")
                                     .arg(destination.fileName())};
    return {Outcome::Done, destination.absoluteFilePath()};
}

} // namespace tandemo
