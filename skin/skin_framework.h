#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>

namespace tandemo {

/// Dispatch identifiers of the skin engine's late-bound members.
namespace skin_dispatch {
inline constexpr int kOptions = 1;     // property: option flags (32-bit integer)
inline constexpr int kLoadSkin = 2;    // method: (skin file path, scheme name or "")
inline constexpr int kApplyWindow = 3; // method: (native handle of a top-level window)
inline constexpr int kSkinDialogs = 5; // property: boolean, dialogs and message boxes take the skin
inline constexpr int kSkinMenus = 10;  // property: boolean, the menu bar takes the skin
} // namespace skin_dispatch

/// Bits of the option flags.
namespace skin_option {
/// The skin reaches every control inside the window, not only the window itself.
inline constexpr std::int32_t kSkinChildControls = 0x1;
} // namespace skin_option

/// The window's skin engine: loads a skin from a file and restyles a top-level window with it.
/// It is reached late-bound, through its dispatch identifiers; the typed members behind them
/// are what an engine implements. Operations that fail throw Failure.
class SkinFramework : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Reads a member property by dispatch identifier.
    QVariant getProperty(int dispatchId);
    /// Writes a member property by dispatch identifier.
    void putProperty(int dispatchId, const QVariant& value);
    /// Calls a member method by dispatch identifier; returns an empty value.
    QVariant call(int dispatchId, const QVariantList& arguments);

    /// Loads a skin file; the scheme names one of its colour schemes, empty for its default.
    virtual void LoadSkin(const QString& path, const QString& scheme) = 0;

    virtual std::int32_t Options() const = 0;
    virtual void setOptions(std::int32_t options) = 0;

    virtual bool SkinDialogs() const = 0;
    virtual void setSkinDialogs(bool on) = 0;

    virtual bool SkinMenus() const = 0;
    virtual void setSkinMenus(bool on) = 0;

    /// Restyles the top-level window with the given native handle.
    virtual void ApplyWindow(quintptr nativeHandle) = 0;
};

} // namespace tandemo
