#pragma once

#include <memory>

struct AVCodecContext;
struct AVFormatContext;
struct AVFilterGraph;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace tandemo {

/// Frees what libav made, each with its own call.
struct LibavFreer {
    void operator()(AVFormatContext* input) const;
    void operator()(AVCodecContext* codec) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
    void operator()(SwsContext* scaler) const;
    void operator()(AVFilterGraph* graph) const;
};

/// libav's objects, owned.
using LibavInput = std::unique_ptr<AVFormatContext, LibavFreer>;
using LibavCodec = std::unique_ptr<AVCodecContext, LibavFreer>;
using LibavFrame = std::unique_ptr<AVFrame, LibavFreer>;
using LibavPacket = std::unique_ptr<AVPacket, LibavFreer>;
using LibavScaler = std::unique_ptr<SwsContext, LibavFreer>;
using LibavGraph = std::unique_ptr<AVFilterGraph, LibavFreer>;

/// A new picture of that size and pixel format, with memory of libav's own: rows aligned and
/// padded as its scaler and codecs expect to write them (none when there is no memory).
LibavFrame newPicture(int width, int height, int format);

/// Keeps libav's messages below warnings off standard error (its filters report their figures
/// there as they close), for a program that has no player to take them in; `errorsOnly` keeps
/// its warnings off too, for a command that says what went wrong in its own words.
void keepLibavQuiet(bool errorsOnly = false);

} // namespace tandemo
