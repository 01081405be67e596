#include "engine/local_input.h"

#include "platform/file_names.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tandemo {

namespace {

int interrupted(void* cancelled)
{
    return static_cast<const std::atomic_bool*>(cancelled)->load() ? 1 : 0;
}

} // namespace

LocalInput openLocalInput(const QString& path, const std::atomic_bool& cancelled)
{
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened)
        return nullptr;
    opened->interrupt_callback = {&interrupted, const_cast<std::atomic_bool*>(&cancelled)};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const QByteArray file = encodeFileName(path);
    const int status = avformat_open_input(&opened, file.constData(), nullptr, &options);
    av_dict_free(&options);
    if (status < 0)
        return nullptr; // the context was freed
    LocalInput input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return nullptr;
    return input;
}

} // namespace tandemo
