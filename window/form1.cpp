#include "window/form1.h"

#include "platform/hosted_component.h"

#include "platform/common_dialog.h"
#include "playback/media_player.h"
#include "skin/skin_framework.h"
#include "window/component_factory.h"
#include "window/picture_box.h"
#include "window/system_colours.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPixmap>
#include <QScreen>

namespace tandemo {

namespace {

// The window as designed, in twips.
constexpr double kClientWidth = 8910;
constexpr double kClientHeight = 7200;
constexpr TwipsRect kPicture1Design{120, 120, 6405, 6945};
constexpr TwipsRect kPicture2Design{6570, 120, 6405, 6945};
constexpr TwipsRect kPlayerDesign{0, 0, 2175, 3345};

QIcon transparentPlaceholderIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
}

Qt::CursorShape cursorShapeFor(short style)
{
    switch (style) {
    case 1:
        return Qt::ArrowCursor;
    case 2:
        return Qt::CrossCursor;
    case 3:
        return Qt::IBeamCursor;
    case 5:
    case 15:
        return Qt::SizeAllCursor;
    case 6:
        return Qt::SizeBDiagCursor;
    case 7:
        return Qt::SizeVerCursor;
    case 8:
        return Qt::SizeFDiagCursor;
    case 9:
        return Qt::SizeHorCursor;
    case 10:
        return Qt::UpArrowCursor;
    case Form1::BusyPointer:
        return Qt::WaitCursor;
    case 12:
        return Qt::ForbiddenCursor;
    case 13:
        return Qt::BusyCursor;
    case 14:
        return Qt::WhatsThisCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

Form1::Form1(ComponentFactory& components, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle("Form1");
    setWindowIcon(transparentPlaceholderIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    QFont font("Arial", 9, QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    setFont(font);

    auto* client = new QWidget(this);
    client->setObjectName("clientArea");
    setCentralWidget(client);
    client->installEventFilter(this);
    // Moves without a button pressed reach the window too.
    client->setMouseTracking(true);
    setBackColour(OleColour::fromRgb(255, 255, 255));

    buildMenuBar();
    buildPanes(components);
    m_commonDialog1 = components.createCommonDialog(this);
    m_commonDialog1->setObjectName("CommonDialog1");
    m_skinFramework1 = components.createSkinFramework(this);
    m_skinFramework1->setObjectName("SkinFramework1");

    setDesignSizeAndPosition();
}

void Form1::buildMenuBar()
{
    QMenuBar* bar = menuBar();
    // The menu bar is drawn in the desktop's menu font, not in the window's own.
    QFont menuFont = QApplication::font(bar);
    menuFont.setResolveMask(QFont::AllPropertiesResolved);
    bar->setFont(menuFont);
    // Plain top-level commands: no sub-menus, shortcuts or access keys.
    m_select1 = bar->addAction("Select Video #1");
    m_select1->setObjectName("Select1");
    m_select2 = bar->addAction("Select Video #2");
    m_select2->setObjectName("Select2");
    m_sample = bar->addAction("Load Sample/Example Videos");
    m_sample->setObjectName("Sample");
}

QList<QWidget*> Form1::Controls() const
{
    QList<QWidget*> controls;
    for (QWidget* widget : clientArea()->findChildren<QWidget*>()) {
        if (!isInsideHostedComponent(*widget, *this))
            controls << widget;
    }
    return controls;
}

void Form1::buildPanes(ComponentFactory& components)
{
    // Creation order follows the stored definition; the tab order below differs from it.
    m_picture1 = new PictureBox(clientArea());
    m_picture1->setObjectName("Picture1");
    m_mediaPlayer1 = components.createMediaPlayer(m_picture1);
    m_mediaPlayer1->setObjectName("MediaPlayer1");
    markHostedComponent(*m_mediaPlayer1);
    m_picture2 = new PictureBox(clientArea());
    m_picture2->setObjectName("Picture2");
    m_mediaPlayer2 = components.createMediaPlayer(m_picture2);
    m_mediaPlayer2->setObjectName("MediaPlayer2");
    markHostedComponent(*m_mediaPlayer2);

    placeControl(*m_picture1, kPicture1Design);
    placeControl(*m_mediaPlayer1, kPlayerDesign);
    placeControl(*m_picture2, kPicture2Design);
    placeControl(*m_mediaPlayer2, kPlayerDesign);

    // The right-hand pane comes first, so it has the focus when the window opens.
    setTabOrder(m_picture2, m_mediaPlayer2);
    setTabOrder(m_mediaPlayer2, m_picture1);
    setTabOrder(m_picture1, m_mediaPlayer1);
    m_picture2->setFocus();
}

void Form1::setDesignSizeAndPosition()
{
    const TwipsScale twips = scale();
    const QSize client = twips.toPixels(kClientWidth, kClientHeight);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    centreOnScreen();
    m_centredWithoutFrame = true;
}

void Form1::centreOnScreen()
{
    if (const QScreen* current = screen()) {
        // The frame's size is known once a window manager has framed the window; until then it
        // is the window's own.
        const QSize framed = frameGeometry().size();
        move(current->availableGeometry().center() -
             QPoint(framed.width() / 2, framed.height() / 2));
    }
}

void Form1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // A window manager that frames the window moves it as it does: the first time the frame is
    // known, the window is centred again with it, as the desktop shows it.
    if (m_centredWithoutFrame && isVisible() && frameGeometry().size() != size()) {
        m_centredWithoutFrame = false;
        centreOnScreen();
    }
}

void Form1::setBackColour(OleColour colour)
{
    m_backColour = colour;
    applyBackColour(*clientArea(), colour);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != clientArea())
        return QMainWindow::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
        // A system background colour follows the desktop's palette when it changes.
        setBackColour(m_backColour);
        break;
    case QEvent::Resize:
        emit resized();
        break;
    case QEvent::MouseMove: {
        // Moves over a control that ignores them arrive here too; only the bare area counts.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!clientArea()->childAt(move->position().toPoint()))
            emit clientMouseMoved();
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    emit unloading();
    event->accept();
}

void Form1::setMousePointer(short style)
{
    m_mousePointer = style;
    if (style == DefaultPointer)
        clientArea()->unsetCursor();
    else if (style == CustomPointer && m_hasMouseIcon)
        clientArea()->setCursor(m_mouseIcon);
    else
        clientArea()->setCursor(cursorShapeFor(style));
}

void Form1::setMouseIcon(const QCursor& cursor)
{
    m_mouseIcon = cursor;
    m_hasMouseIcon = true;
    if (m_mousePointer == CustomPointer)
        clientArea()->setCursor(m_mouseIcon);
}

TwipsScale Form1::scale() const
{
    const QScreen* current = screen();
    if (!current)
        return TwipsScale();
    return TwipsScale(current->logicalDotsPerInchX(), current->logicalDotsPerInchY());
}

void Form1::placeControl(QWidget& control, const TwipsRect& twips)
{
    m_twips.insert(&control, twips);
    QRect pixels = scale().toPixels(twips);
    if (const auto* frame = qobject_cast<const PictureBox*>(control.parentWidget()))
        pixels.translate(frame->clientOrigin());
    control.setGeometry(pixels);
}

TwipsRect Form1::controlGeometry(const QWidget& control) const
{
    if (const auto stored = m_twips.constFind(&control); stored != m_twips.constEnd())
        return *stored;
    QRect pixels = control.geometry();
    if (const auto* frame = qobject_cast<const PictureBox*>(control.parentWidget()))
        pixels.translate(-frame->clientOrigin());
    return scale().toTwips(pixels);
}

void Form1::setControlLeft(QWidget& control, float left)
{
    TwipsRect twips = controlGeometry(control);
    twips.left = left;
    placeControl(control, twips);
}

void Form1::setControlWidth(QWidget& control, float width)
{
    TwipsRect twips = controlGeometry(control);
    twips.width = width;
    placeControl(control, twips);
}

void Form1::setControlHeight(QWidget& control, float height)
{
    TwipsRect twips = controlGeometry(control);
    twips.height = height;
    placeControl(control, twips);
}

float Form1::ScaleWidth() const
{
    return static_cast<float>(scale().toTwipsX(clientArea()->width()));
}

float Form1::ScaleHeight() const
{
    return static_cast<float>(scale().toTwipsY(clientArea()->height()));
}

} // namespace tandemo
