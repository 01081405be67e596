// libFuzzer entry point for the skin file parser: any bytes must either parse into a skin whose
// schemes are all complete, or be rejected with a Failure; nothing else may happen.
#include "platform/failure.h"
#include "skin/skin_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const tandemo::SkinFile skin = tandemo::parseSkinFile(bytes);
        if (skin.schemes.isEmpty() || !skin.find(QString()))
            std::abort();
        for (const tandemo::SkinScheme& scheme : skin.schemes) {
            if (!scheme.colours.value(QStringLiteral("window")).isValid())
                std::abort();
        }
    } catch (const tandemo::Failure&) {
    }
    return 0;
}
