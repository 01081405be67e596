#include "session/pixel_inspector.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace tandemo {

PixelInspector::PixelInspector(const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
    , m_decode(
          WorkLength::Short, [](double) {},
          [this](std::optional<Pictures> pictures) {
              if (pictures)
                  m_pictures = std::move(*pictures);
              report();
              if (std::exchange(m_newerWanted, false))
                  inspect(m_at);
          })
{
}

void PixelInspector::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    readingChanged();
    emit onChanged(on);
}

void PixelInspector::setLoupe(bool on)
{
    if (on == m_loupe)
        return;
    m_loupe = on;
    readingChanged();
    emit loupeChanged(on);
}

void PixelInspector::setScopes(bool on)
{
    m_scopes = on;
    readingChanged();
}

void PixelInspector::readingChanged()
{
    if (isReading())
        return;
    // The decoded frames are large: they go when nothing reads them.
    m_decode.cancel();
    m_newerWanted = false;
    m_pictures = {};
}

void PixelInspector::inspect(QPointF at)
{
    if (!isReading())
        return;
    m_at = at;
    for (std::size_t i = 0; i < m_wanted.size(); ++i) {
        const PlaybackEngine* engine = m_panes.engine(int(i));
        m_wanted[i] = engine && !engine->isIdle()
                          ? Shown{engine->file(), engine->frameStartAt(engine->destination()),
                                  engine->isMirrored(), engine->pictureFilter(), engine->toneMap()}
                          : Shown{};
    }
    bool decoded = true;
    for (std::size_t i = 0; i < m_wanted.size(); ++i)
        decoded = decoded && m_pictures[i].shown == m_wanted[i];
    if (decoded) {
        report();
        return;
    }
    if (m_decode.isRunning()) {
        // Told with the frames at hand meanwhile.
        m_newerWanted = true;
        report();
        return;
    }
    // The frames not decoded yet, in the background; the ones that are, kept.
    m_decode.start([wanted = m_wanted, have = m_pictures](const std::atomic_bool& cancelled,
                                                          const auto&) -> std::optional<Pictures> {
        Pictures pictures;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            pictures[i].shown = wanted[i];
            if (have[i].shown == wanted[i]) {
                pictures[i].picture = have[i].picture;
            } else if (!wanted[i].file.isEmpty()) {
                if (auto picture = DecodedPicture::read(wanted[i].file, wanted[i].frame, cancelled,
                                                        wanted[i].filter, wanted[i].toneMap))
                    pictures[i].picture = std::make_shared<DecodedPicture>(std::move(*picture));
            }
            if (cancelled)
                return std::nullopt;
        }
        return pictures;
    });
}

void PixelInspector::report()
{
    Report report;
    report.at = m_at;
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        report.pictures[i] = m_pictures[i].picture;
        report.mirrored[i] = m_pictures[i].shown.mirrored;
        if (const auto& picture = m_pictures[i].picture)
            report.panes[i] = picture->valuesAt(m_at, m_pictures[i].shown.mirrored);
    }
    emit inspected(report);
}

QString pixelReportText(const PixelInspector::Report& report)
{
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("tandemo::PixelInspector", text);
    };
    const auto line = [](const QString& name, const PixelValues& v) {
        // A picture stored as RGB has no code values besides them.
        if (v.storedAsRgb)
            return QStringLiteral("%1 (%2, %3)  R %4 G %5 B %6")
                .arg(name)
                .arg(v.x)
                .arg(v.y)
                .arg(v.red)
                .arg(v.green)
                .arg(v.blue);
        return QStringLiteral("%1 (%2, %3)  R %4 G %5 B %6  Y %7 Cb %8 Cr %9 (%10-bit)")
            .arg(name)
            .arg(v.x)
            .arg(v.y)
            .arg(v.red)
            .arg(v.green)
            .arg(v.blue)
            .arg(v.luma)
            .arg(v.cb)
            .arg(v.cr)
            .arg(v.bits);
    };
    QStringList lines;
    const QString names[] = {tr("Left"), tr("Right")};
    for (std::size_t i = 0; i < report.panes.size(); ++i) {
        if (report.panes[i])
            lines << line(names[i], *report.panes[i]);
    }
    if (report.panes[0] && report.panes[1]) {
        const PixelValues& a = *report.panes[0];
        const PixelValues& b = *report.panes[1];
        // Code values of different depths are compared at the greater one.
        const int bits = std::max(a.bits, b.bits);
        const auto code = [bits](const PixelValues& v, int value) {
            return value << (bits - v.bits);
        };
        QString difference = QStringLiteral("%1  R %2 G %3 B %4")
                                 .arg(tr("Right \u2212 left"))
                                 .arg(b.red - a.red)
                                 .arg(b.green - a.green)
                                 .arg(b.blue - a.blue);
        if (!a.storedAsRgb && !b.storedAsRgb)
            difference += QStringLiteral("  Y %1 Cb %2 Cr %3")
                              .arg(code(b, b.luma) - code(a, a.luma))
                              .arg(code(b, b.cb) - code(a, a.cb))
                              .arg(code(b, b.cr) - code(a, a.cr));
        lines << difference;
    }
    return lines.join(u'\n');
}

} // namespace tandemo
