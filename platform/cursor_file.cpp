#include "platform/cursor_file.h"

namespace tandemo {

namespace {

// Layout of the directory at the start of .ico and .cur files (all little-endian):
//   u16 reserved (0), u16 type (1 icon, 2 cursor), u16 count,
//   then count entries of 16 bytes: u8 width, u8 height, u8 colours, u8 reserved,
//   u16 hot spot x, u16 hot spot y, u32 size of the image, u32 offset of the image.
constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr quint16 kCursorType = 2;

constexpr quint16 kIconType = 1;

quint16 readU16(const QByteArray& bytes, qsizetype offset)
{
    return static_cast<quint16>(static_cast<quint8>(bytes[offset]) |
                                (static_cast<quint8>(bytes[offset + 1]) << 8));
}

quint32 readU32(const QByteArray& bytes, qsizetype offset)
{
    return readU16(bytes, offset) | (quint32(readU16(bytes, offset + 2)) << 16);
}

} // namespace

std::optional<QPoint> cursorHotSpot(const QByteArray& bytes)
{
    if (bytes.size() < kDirectorySize + kEntrySize)
        return std::nullopt;
    if (readU16(bytes, 0) != 0 || readU16(bytes, 2) != kCursorType || readU16(bytes, 4) == 0)
        return std::nullopt;
    return QPoint(readU16(bytes, kDirectorySize + 4), readU16(bytes, kDirectorySize + 6));
}

bool iconImagesAreComplete(const QByteArray& bytes)
{
    if (bytes.size() < kDirectorySize || readU16(bytes, 0) != 0)
        return true;
    const quint16 type = readU16(bytes, 2);
    if (type != kIconType && type != kCursorType)
        return true;
    const qsizetype count = readU16(bytes, 4);
    if (count == 0 || bytes.size() < kDirectorySize + count * kEntrySize)
        return false;
    for (qsizetype entry = 0; entry < count; ++entry) {
        const qsizetype at = kDirectorySize + entry * kEntrySize;
        const quint64 size = readU32(bytes, at + 8);
        const quint64 offset = readU32(bytes, at + 12);
        if (size == 0 || offset + size > quint64(bytes.size()))
            return false;
    }
    return true;
}

} // namespace tandemo
