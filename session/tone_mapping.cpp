#include "session/tone_mapping.h"

namespace tandemo {

ToneMapping::ToneMapping(const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
{
    for (PlaybackEngine* engine : panes.engines())
        follow(engine);
    connect(&panes, &Panes::added, this, [this](int, PlaybackEngine* engine) { follow(engine); });
    connect(&panes, &Panes::removed, this,
            [this](const PlaybackEngine* engine) { m_reading.erase(engine); });
}

ToneMapping::~ToneMapping() = default;

void ToneMapping::follow(PlaybackEngine* engine)
{
    m_reading[engine] = std::make_unique<BackgroundRun<ReadLight>>(
        WorkLength::Short, [](double) {},
        [this, engine](std::optional<ReadLight> read) {
            if (!read)
                return;
            m_read.insert(read->first, read->second);
            apply(*engine);
        });
    connect(engine, &PlaybackEngine::fileLoaded, this, [this, engine] { readLight(engine); });
}

void ToneMapping::readLight(PlaybackEngine* engine)
{
    const QString file = engine->file();
    if (m_read.contains(file)) {
        apply(*engine);
        return;
    }
    auto opened = std::make_shared<RegularFile>(engine->openedFile());
    m_reading[engine]->start([file, opened](const std::atomic_bool& cancelled, const auto&) {
        return std::optional(ReadLight{file, readHdrSignal(*opened, cancelled)});
    });
}

void ToneMapping::apply(PlaybackEngine& engine)
{
    const auto read = m_read.constFind(engine.file());
    const QString chain = read == m_read.cend() ? QString() : toneMapChain(*read, m_chosenPeak);
    if (chain != engine.toneMap()) {
        engine.setToneMap(chain);
        emit changed();
    }
}

void ToneMapping::setChosenPeak(double nits)
{
    if (nits == m_chosenPeak)
        return;
    m_chosenPeak = nits;
    for (PlaybackEngine* engine : m_panes.engines())
        apply(*engine);
    emit changed();
}

QString ToneMapping::chainFor(const QString& file)
{
    if (!m_read.contains(file)) {
        const std::atomic_bool never{false};
        m_read.insert(file, readHdrSignal(RegularFile::open(file), never));
    }
    return toneMapChain(m_read.value(file), m_chosenPeak);
}

double ToneMapping::assumedPeakOf(const QString& file) const
{
    const auto read = m_read.constFind(file);
    return read == m_read.cend() || !read->isHdr() ? 0 : assumedPeakNits(*read, m_chosenPeak);
}

QString ToneMapping::descriptionFor(const QString& file)
{
    const auto read = m_read.constFind(file);
    return read == m_read.cend() ? QString() : toneMapDescription(*read, m_chosenPeak);
}

} // namespace tandemo
