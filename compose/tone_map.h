#pragma once

#include "platform/regular_file.h"

#include <QString>

#include <atomic>

namespace tandemo {

/// How a video's code values stand for light: the standard range, or one of the two HDR
/// transfers (PQ, as HDR10 carries it, and HLG, as phones record).
enum class Transfer { Standard, Pq, Hlg };

/// What a file says of its light: its transfer and, where its metadata gives one, its brightest
/// pixel in nits (the content's MaxCLL, else the mastering display's peak; 0: not said).
struct HdrSignal {
    Transfer transfer = Transfer::Standard;
    double metadataPeakNits = 0;
    bool isHdr() const { return transfer != Transfer::Standard; }
};

/// Where standard white stands in HDR (ITU-R BT.2408): it is shown as the screen's white.
constexpr double kSdrWhiteNits = 203;
/// The peak assumed of an HDR video that does not say (HLG's nominal display, and the most
/// common mastering peak of PQ).
constexpr double kUnsaidPeakNits = 1000;

/// The signal of a file's first video stream; standard when it cannot be read.
HdrSignal readHdrSignal(const RegularFile& file, const std::atomic_bool& cancelled);

/// The peak the mapping assumes: the one chosen (nits above 0), else the file's own, else
/// kUnsaidPeakNits.
double assumedPeakNits(const HdrSignal& signal, double chosenNits);

/// The libavfilter chain that maps an HDR video's pictures to the standard range (BT.709), as
/// every view, measure and export of the program shows them: light made linear with standard
/// white at 1.0, turned to BT.709's colours, everything up to 80 % of white kept as it is and
/// what is brighter rolled off (a Möbius curve) so that the assumed peak just reaches white;
/// with a peak at white, nothing is rolled off and brighter light is clipped. Empty for a
/// standard video.
QString toneMapChain(const HdrSignal& signal, double chosenNits);

/// The mapping in words, for the facts: "HLG mapped to SDR, peak 1000 nits"; empty for a
/// standard video.
QString toneMapDescription(const HdrSignal& signal, double chosenNits);

} // namespace tandemo
