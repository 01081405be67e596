#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct AVFrame;

namespace tandemo {

/// The scopes a colourist reads a picture by, each drawn by libavfilter's own filter: the luma
/// waveform and one per RGB channel side by side, the vectorscope (with the 75 % and 100 % bars'
/// targets), and the luma and RGB histograms.
enum class ScopeKind { Waveform, WaveformRgb, Vectorscope, Histogram, HistogramRgb };
constexpr int kScopeKinds = int(ScopeKind::HistogramRgb) + 1;

QString nameOf(ScopeKind kind);
/// The filter chain that draws the scope, as ffmpeg's -vf takes it (ending in packed RGB).
QString scopeFilter(ScopeKind kind);

/// A scope drawn: packed 8-bit RGB, three bytes a pixel, row after row.
struct ScopePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

/// The scope of one picture as decoded; none when the filter cannot take it.
std::optional<ScopePicture> drawScope(const AVFrame& picture, ScopeKind kind);
/// The scope of a picture as a pane shows it (RGB), made at most `width` pixels wide first;
/// luma and chroma are taken back out of it with the colour matrix of HD video (`hd`) or of SD.
/// Coarser than the decoded frame's, and far quicker: what a scope follows while playing.
std::optional<ScopePicture> drawScope(const QImage& shown, ScopeKind kind, bool hd, int width);

} // namespace tandemo
