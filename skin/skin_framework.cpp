#include "skin/skin_framework.h"

#include "platform/failure.h"

#include <limits>

namespace tandemo {

namespace {

Failure wrongArguments()
{
    return Failure(failure_text::kWrongArguments);
}

QString textArgument(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        throw wrongArguments();
    return value.toString();
}

// Integers arrive in whatever width the caller used; they must fit 32 bits.
std::int64_t integerArgument(const QVariant& value, std::int64_t lowest, std::int64_t highest)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        break;
    default:
        throw wrongArguments();
    }
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || (value.typeId() == QMetaType::ULongLong && value.toULongLong() > quint64(highest)) ||
        number < lowest || number > highest)
        throw Failure(failure_text::kOverflow);
    return number;
}

// A boolean is true/false, or the integers -1 (true) and 0 (false) that automation uses.
bool booleanArgument(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return integerArgument(value, std::numeric_limits<std::int32_t>::min(),
                           std::numeric_limits<std::int32_t>::max()) != 0;
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A native window handle. X11 handles fit 32 bits and may arrive as a negative 32-bit value;
// other window systems use the whole width of a pointer.
quintptr handleArgument(const QVariant& value)
{
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong)
        return static_cast<quintptr>(value.toULongLong());
    const std::int64_t number = integerArgument(value, std::numeric_limits<std::int64_t>::min(),
                                                std::numeric_limits<std::int64_t>::max());
    if (number < 0 && number >= kInt32Min)
        return static_cast<std::uint32_t>(number);
    return static_cast<quintptr>(number);
}

} // namespace

QVariant SkinFramework::getProperty(int dispatchId)
{
    switch (dispatchId) {
    case skin_dispatch::kOptions:
        return QVariant::fromValue<qint32>(Options());
    case skin_dispatch::kSkinDialogs:
        return SkinDialogs();
    case skin_dispatch::kSkinMenus:
        return SkinMenus();
    default:
        throw Failure(failure_text::kUnsupportedMember);
    }
}

void SkinFramework::putProperty(int dispatchId, const QVariant& value)
{
    switch (dispatchId) {
    case skin_dispatch::kOptions:
        setOptions(static_cast<std::int32_t>(integerArgument(value, kInt32Min, kInt32Max)));
        return;
    case skin_dispatch::kSkinDialogs:
        setSkinDialogs(booleanArgument(value));
        return;
    case skin_dispatch::kSkinMenus:
        setSkinMenus(booleanArgument(value));
        return;
    default:
        throw Failure(failure_text::kUnsupportedMember);
    }
}

QVariant SkinFramework::call(int dispatchId, const QVariantList& arguments)
{
    switch (dispatchId) {
    case skin_dispatch::kLoadSkin:
        if (arguments.size() != 2)
            throw wrongArguments();
        LoadSkin(textArgument(arguments[0]), textArgument(arguments[1]));
        return {};
    case skin_dispatch::kApplyWindow:
        if (arguments.size() != 1)
            throw wrongArguments();
        ApplyWindow(handleArgument(arguments[0]));
        return {};
    default:
        throw Failure(failure_text::kUnsupportedMember);
    }
}

} // namespace tandemo
