#pragma once

#include <QSize>
#include <QString>

namespace tandemo {

/// What a player can tell about the video it plays, for the facts shown over its picture.
struct MediaFacts {
    QString file;
    /// The picture's size as stored in the file.
    QSize size;
    /// The codec's short name, such as "h264".
    QString codec;
    double frameRate = 0;
    /// The video's bits per second, as measured while playing; 0 until known.
    double bitRate = 0;
    double position = 0;
    /// The number of the frame showing, counted from 0; -1 while it is not known.
    qint64 frame = -1;
    /// How the picture is mapped for the screen, where it is (an HDR video): a line of its own.
    QString mapping;
};

/// The facts as lines of text: the file's name; its size, codec, frame rate and bit rate; the
/// frame showing (while its number is known) and the time. What is not known yet shows as a dash.
QString describeFacts(const MediaFacts& facts);

/// A time to the millisecond, hours shown only when there are any, each part followed by its
/// mark: with ":", ":" and "" it reads "1:02.040" or "1:00:02.040".
QString formatClockTime(double seconds, const QString& afterHours, const QString& afterMinutes,
                        const QString& afterSeconds);

/// A time with milliseconds, such as "1:02.040" or "1:00:02.040".
QString formatPreciseTime(double seconds);

} // namespace tandemo
