#include "analysis/local_input.h"

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
    return openLocalInput(RegularFile::open(path), cancelled);
}

LocalInput openLocalInput(const RegularFile& held, const std::atomic_bool& cancelled)
{
    if (!held.isOpen())
        return nullptr;
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened)
        return nullptr;
    opened->interrupt_callback = {&interrupted, const_cast<std::atomic_bool*>(&cancelled)};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // Opened through the file held, never by its name again.
    const QByteArray file = held.heldName();
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
