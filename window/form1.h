#pragma once

#include "window/ole_colour.h"
#include "window/twips.h"

#include <QCursor>
#include <QHash>
#include <QMainWindow>

class QAction;

namespace tandemo {

class CommonDialog;
class ComponentFactory;
class MediaPlayer;
class PictureBox;
class SkinFramework;

/// The main window: a menu bar with three commands over two framed panes, each holding a video
/// player, plus the open dialog and the skin engine as invisible components. The constructor
/// builds the window exactly as designed; behaviour is wired to it from outside.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    /// Pointer styles the window uses; other values select the matching standard shape.
    enum PointerStyle : short { DefaultPointer = 0, BusyPointer = 11, CustomPointer = 99 };

    explicit Form1(ComponentFactory& components, QWidget* parent = nullptr);

    PictureBox* Picture1() const { return m_picture1; }
    MediaPlayer* MediaPlayer1() const { return m_mediaPlayer1; }
    PictureBox* Picture2() const { return m_picture2; }
    MediaPlayer* MediaPlayer2() const { return m_mediaPlayer2; }
    CommonDialog* CommonDialog1() const { return m_commonDialog1; }
    SkinFramework* SkinFramework1() const { return m_skinFramework1; }
    QAction* Select1() const { return m_select1; }
    QAction* Select2() const { return m_select2; }
    QAction* Sample() const { return m_sample; }

    /// The window's own controls, in the window's order, in whatever container they lie; the
    /// players are among them, but not the players' insides.
    QList<QWidget*> Controls() const;

    /// The area below the menu bar that holds the panes.
    QWidget* clientArea() const { return centralWidget(); }

    OleColour backColour() const { return m_backColour; }
    void setBackColour(OleColour colour);

    short mousePointer() const { return m_mousePointer; }
    void setMousePointer(short style);
    void setMouseIcon(const QCursor& cursor);
    /// The custom mouse icon, or nullptr while none is loaded.
    const QCursor* mouseIcon() const { return m_hasMouseIcon ? &m_mouseIcon : nullptr; }

    /// Twips-to-pixels conversion for the screen the window is on.
    TwipsScale scale() const;
    /// Places a control of this window, given in twips relative to its container's client area.
    /// The twips are kept as given and converted to whole pixels in one place (TwipsScale).
    void placeControl(QWidget& control, const TwipsRect& twips);
    TwipsRect controlGeometry(const QWidget& control) const;

    /// One edge or size of a control, in twips; the others keep their values.
    void setControlLeft(QWidget& control, float left);
    void setControlWidth(QWidget& control, float width);
    void setControlHeight(QWidget& control, float height);

    /// The client area's size in twips, read afresh from its size in pixels.
    float ScaleWidth() const;
    float ScaleHeight() const;

signals:
    /// The client area changed size (also when the window is first shown).
    void resized();
    /// The mouse moved over the client area itself, not over one of its controls.
    void clientMouseMoved();
    /// The window is being closed.
    void unloading();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildMenuBar();
    void buildPanes(ComponentFactory& components);
    void setDesignSizeAndPosition();
    /// Centres the window on its screen as the desktop shows it, its frame included.
    void centreOnScreen();

    PictureBox* m_picture1 = nullptr;
    MediaPlayer* m_mediaPlayer1 = nullptr;
    PictureBox* m_picture2 = nullptr;
    MediaPlayer* m_mediaPlayer2 = nullptr;
    CommonDialog* m_commonDialog1 = nullptr;
    SkinFramework* m_skinFramework1 = nullptr;
    QAction* m_select1 = nullptr;
    QAction* m_select2 = nullptr;
    QAction* m_sample = nullptr;

    QHash<const QWidget*, TwipsRect> m_twips;
    OleColour m_backColour;
    short m_mousePointer = DefaultPointer;
    QCursor m_mouseIcon;
    bool m_hasMouseIcon = false;
    // Centred before the window manager framed the window: centred again once the frame is known.
    bool m_centredWithoutFrame = false;
};

} // namespace tandemo
