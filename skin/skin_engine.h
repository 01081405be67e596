#pragma once

#include "skin/skin_file.h"
#include "skin/skin_framework.h"

#include <QPalette>
#include <QPointer>

#include <optional>

class QWidget;

namespace tandemo {

/// The skin engine: skin files of our own text format (resources/skins/README.md), applied to a
/// window as a palette and a style sheet.
class SkinEngine : public SkinFramework {
    Q_OBJECT
public:
    using SkinFramework::SkinFramework;

    void LoadSkin(const QString& path, const QString& scheme) override;

    std::int32_t Options() const override { return m_options; }
    void setOptions(std::int32_t options) override { m_options = options; }

    bool SkinDialogs() const override { return m_skinDialogs; }
    void setSkinDialogs(bool on) override { m_skinDialogs = on; }

    bool SkinMenus() const override { return m_skinMenus; }
    void setSkinMenus(bool on) override { m_skinMenus = on; }

    void ApplyWindow(quintptr nativeHandle) override;

    /// The loaded scheme, if any.
    const std::optional<SkinScheme>& scheme() const { return m_scheme; }

    /// The palette and the style sheet that a scheme gives a window. Text the scheme gives no
    /// colour of its own, or one too close to its background, is black or white, whichever
    /// reads better on it.
    static QPalette paletteFor(const SkinScheme& scheme, const QPalette& base);
    static QString menuStyleSheetFor(const SkinScheme& scheme);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Whether a skin applied to the window reaches the widget: the window's own controls, and
    /// dialogs opened on it when dialogs are skinned, but not the insides of hosted components.
    bool isSkinned(const QWidget& widget) const;
    void markIfSkinned(QWidget& widget) const;

    std::optional<SkinScheme> m_scheme;
    QPointer<QWidget> m_window;
    // What dialogs opened on the window are given, once dialogs are skinned.
    std::optional<QPalette> m_dialogPalette;
    bool m_watchingNewWidgets = false;
    std::int32_t m_options = 0;
    bool m_skinDialogs = false;
    bool m_skinMenus = false;
};

} // namespace tandemo
