#include "skin/skin_engine.h"

#include "platform/failure.h"
#include "platform/file_names.h"
#include "platform/hosted_component.h"
#include "platform/small_file.h"
#include "skin/skin_style_files.h"
#include "skin/skin_style_scope.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tandemo {

void SkinEngine::LoadSkin(const QString& path, const QString& schemeName)
{
    const QByteArray bytes = readSmallFile(
        path, kLargestSkinFile,
        QStringLiteral("Invalid skin file (larger than %1 bytes)").arg(kLargestSkinFile));

    SkinFile skin = parseSkinFile(bytes);
    // Files named by any scheme's style are checked now, so that a bad one is found as early as
    // a bad line, and no scheme applied later can make the style parser read them.
    const QString folder = QFileInfo(resolveIgnoringCase(path)).absolutePath();
    for (SkinScheme& each : skin.schemes)
        each.styleSheet = checkedStyleFiles(each.styleSheet, folder);
    const SkinScheme* scheme = skin.find(schemeName);
    if (!scheme)
        throw Failure(QStringLiteral("The skin has no scheme named %1").arg(schemeName));
    // Only a complete, valid skin replaces the loaded one.
    m_scheme = *scheme;
}

namespace {

double luminance(const QColor& colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

/// The contrast of two colours as WCAG measures it, from 1 to 21.
double contrast(const QColor& a, const QColor& b)
{
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

/// The text colour, or black or white where it would not read on the background (less than the
/// 4.5:1 that WCAG asks of body text).
QColor readableOn(const QColor& text, const QColor& background)
{
    constexpr double kReadable = 4.5;
    if (contrast(text, background) >= kReadable)
        return text;
    return contrast(Qt::white, background) > contrast(Qt::black, background) ? QColor(Qt::white)
                                                                             : QColor(Qt::black);
}

/// Under a style sheet, the widgets inside a dialog are given the palette of their class, not
/// the dialog's: the text drawn on the dialog's own background is given its colour here, so
/// that a dark skin's dialogs never show black text on dark grey.
QString dialogTextStyleSheet(const QPalette& palette)
{
    const QString dialog =
        QStringLiteral("QDialog[%1=\"true\"] ").arg(QLatin1String(kSkinnedProperty));
    QStringList selectors;
    for (const char* type : {"QLabel", "QCheckBox", "QRadioButton", "QGroupBox"})
        selectors << dialog + QLatin1String(type);
    return QStringLiteral("\n%1 { color: %2; }\n")
        .arg(selectors.join(QStringLiteral(", ")), palette.color(QPalette::WindowText).name());
}

} // namespace

QPalette SkinEngine::paletteFor(const SkinScheme& scheme, const QPalette& base)
{
    QPalette palette = base;
    const QColor window = scheme.colour(QStringLiteral("window"), base.color(QPalette::Window));
    const QColor windowText =
        scheme.colour(QStringLiteral("window-text"), base.color(QPalette::WindowText));
    const QColor button = scheme.colour(QStringLiteral("button"), window);
    const QColor frame = scheme.colour(QStringLiteral("frame"), button.darker(150));

    const QColor textBase = scheme.colour(QStringLiteral("base"), window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, readableOn(windowText, window));
    palette.setColor(QPalette::Base, textBase);
    palette.setColor(QPalette::Text,
                     readableOn(scheme.colour(QStringLiteral("text"), windowText), textBase));
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText,
                     readableOn(scheme.colour(QStringLiteral("button-text"), windowText), button));
    palette.setColor(QPalette::Highlight,
                     scheme.colour(QStringLiteral("highlight"), base.color(QPalette::Highlight)));
    palette.setColor(
        QPalette::HighlightedText,
        scheme.colour(QStringLiteral("highlight-text"), base.color(QPalette::HighlightedText)));
    palette.setColor(QPalette::Light, button.lighter(150));
    palette.setColor(QPalette::Midlight, button.lighter(125));
    palette.setColor(QPalette::Mid, frame);
    palette.setColor(QPalette::Dark, frame);
    palette.setColor(QPalette::Shadow, frame.darker(150));
    return palette;
}

QString SkinEngine::menuStyleSheetFor(const SkinScheme& scheme)
{
    const QColor window = scheme.colour(QStringLiteral("window"), Qt::white);
    const QColor button = scheme.colour(QStringLiteral("button"), window);
    const QColor buttonText = scheme.colour(QStringLiteral("button-text"), Qt::black);
    const QColor highlight = scheme.colour(QStringLiteral("highlight"), buttonText);
    const QColor highlightText = scheme.colour(QStringLiteral("highlight-text"), button);
    return QStringLiteral("QMenuBar { background-color: %1; color: %2; }\n"
                          "QMenuBar::item { background: transparent; padding: 3px 8px; }\n"
                          "QMenuBar::item:selected { background-color: %3; color: %4; }\n")
        .arg(button.name(), buttonText.name(), highlight.name(), highlightText.name());
}

void SkinEngine::ApplyWindow(quintptr nativeHandle)
{
    if (!m_scheme)
        throw Failure(QStringLiteral("No skin is loaded"));
    QWidget* window = QWidget::find(static_cast<WId>(nativeHandle));
    if (!window || !window->isWindow())
        throw Failure(failure_text::kInvalidCall);
    m_window = window;

    const QPalette palette = paletteFor(*m_scheme, window->palette());
    // Dialogs and message boxes are made later: each is given the palette as it is polished,
    // set on it so that its labels and buttons take it too (a palette for the class alone would
    // leave them the desktop's text on the skin's background). The players' own menus and
    // pop-ups keep the desktop's.
    m_dialogPalette = m_skinDialogs ? std::optional(palette) : std::nullopt;
    window->setPalette(palette);
    if (m_options & skin_option::kSkinChildControls) {
        // The insides of a hosted component (a player's own controls) keep their look.
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (!isInsideHostedComponent(*child, *window))
                child->setPalette(palette);
        }
    }

    // The style sheet reaches only what the window marks as its own: set on the window, it
    // would otherwise restyle everything inside the players too.
    markIfSkinned(*window);
    for (QWidget* child : window->findChildren<QWidget*>())
        markIfSkinned(*child);
    if (!m_watchingNewWidgets) {
        m_watchingNewWidgets = true;
        qApp->installEventFilter(this);
    }
    QString styleSheet;
    if (m_skinMenus)
        styleSheet += menuStyleSheetFor(*m_scheme);
    styleSheet += m_scheme->styleSheet;
    window->setStyleSheet(scopedToSkinnedWidgets(styleSheet) +
                          (m_skinDialogs ? dialogTextStyleSheet(palette) : QString()));
}

bool SkinEngine::isSkinned(const QWidget& widget) const
{
    bool crossedWindow = false;
    for (const QWidget* each = &widget; each; each = each->parentWidget()) {
        if (each == m_window)
            return !crossedWindow || m_skinDialogs;
        if (each != &widget && isHostedComponent(*each))
            return false;
        if (each->isWindow())
            crossedWindow = true;
    }
    return false;
}

void SkinEngine::markIfSkinned(QWidget& widget) const
{
    if (isSkinned(widget))
        widget.setProperty(kSkinnedProperty, true);
}

bool SkinEngine::eventFilter(QObject* watched, QEvent* event)
{
    // Widgets made later (a dialog opened on the window) are marked before their style is set.
    if (event->type() == QEvent::Polish && watched->isWidgetType() && m_window) {
        auto* widget = static_cast<QWidget*>(watched);
        markIfSkinned(*widget);
        if (m_dialogPalette && qobject_cast<QDialog*>(widget) && isSkinned(*widget))
            widget->setPalette(*m_dialogPalette);
    }
    return SkinFramework::eventFilter(watched, event);
}

} // namespace tandemo
