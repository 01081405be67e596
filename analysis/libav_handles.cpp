#include "analysis/libav_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace tandemo {

void LibavFreer::operator()(AVFormatContext* input) const
{
    avformat_close_input(&input);
}

void LibavFreer::operator()(AVCodecContext* codec) const
{
    avcodec_free_context(&codec);
}

void LibavFreer::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void LibavFreer::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

void LibavFreer::operator()(SwsContext* scaler) const
{
    sws_freeContext(scaler);
}

void LibavFreer::operator()(AVFilterGraph* graph) const
{
    avfilter_graph_free(&graph);
}

LibavFrame newPicture(int width, int height, int format)
{
    LibavFrame picture(av_frame_alloc());
    if (!picture)
        return {};
    picture->format = format;
    picture->width = width;
    picture->height = height;
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        return {};
    return picture;
}

void keepLibavQuiet(bool errorsOnly)
{
    av_log_set_level(errorsOnly ? AV_LOG_ERROR : AV_LOG_WARNING);
}

} // namespace tandemo
