#include "playback/keys_panel.h"

#include "platform/hosted_component.h"
#include "session/player_keys.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tandemo {

namespace {

constexpr int kMargin = 8;
constexpr double kSmallestPointSize = 5;

} // namespace

void KeysPanel::toggleOver(QWidget& window)
{
    if (auto* shown = window.findChild<KeysPanel*>(QString(), Qt::FindDirectChildrenOnly)) {
        shown->close();
        return;
    }
    new KeysPanel(window);
}

KeysPanel::KeysPanel(QWidget& window)
    : QWidget(&window)
    , m_card(new QWidget(this))
    , m_title(new QLabel(m_card))
    , m_largestPointSize(QApplication::font().pointSizeF())
    , m_focusBefore(QApplication::focusWidget())
{
    // It belongs to the players, shown over the window: the window's skin and font stay out of it.
    markHostedComponent(*this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    m_card->setObjectName("keysCard");
    m_card->setAutoFillBackground(true);
    m_card->setPalette(QApplication::palette());
    m_title->setObjectName("keysTitle");
    m_title->setWordWrap(true);
    m_title->setText(tr("Keys and gestures, in the pane that has the focus. Any key or a click "
                        "closes this."));
    auto* layout = new QVBoxLayout(m_card);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(m_title);
    // Two columns of rows, each a key and what it does; the text wraps within its column.
    auto* grid = new QGridLayout;
    m_rowsLayout = grid;
    grid->setHorizontalSpacing(kMargin);
    grid->setVerticalSpacing(1);
    const QList<KeyRow>& keys = playerKeys();
    const int perColumn = int((keys.size() + 1) / 2);
    for (int i = 0; i < keys.size(); ++i) {
        Row row{new QLabel(plainKeys(keys[i]), m_card), new QLabel(tr(keys[i].does), m_card)};
        for (QLabel* label : {row.keys, row.does}) {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        row.keys->setObjectName("keys");
        row.does->setObjectName("does");
        const int column = i / perColumn * 2;
        grid->addWidget(row.keys, i % perColumn, column);
        grid->addWidget(row.does, i % perColumn, column + 1);
        m_rows.append(row);
    }
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, column % 2 ? 2 : 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    // Clicks on the rows close the panel as clicks beside it do.
    m_card->installEventFilter(this);

    window.installEventFilter(this);
    setGeometry(window.rect());
    raise();
    show();
    setFocus();
}

void KeysPanel::close()
{
    if (m_focusBefore)
        m_focusBefore->setFocus();
    QWidget::close();
}

void KeysPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_card->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
    fitFont();
}

void KeysPanel::fitFont()
{
    // From the desktop's size down, half a point at a time, until every row fits.
    const int width = m_card->width();
    const int height = m_card->height();
    QFont font = QApplication::font();
    for (double size = m_largestPointSize; size >= kSmallestPointSize; size -= 0.5) {
        font.setPointSizeF(size);
        m_card->setFont(font);
        // Each layout keeps the heights it worked out for a width until it is told.
        m_rowsLayout->invalidate();
        m_card->layout()->invalidate();
        if (m_card->layout()->totalHeightForWidth(width) <= height)
            break;
    }
    m_card->layout()->activate();
}

bool KeysPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    if (watched == m_card && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void KeysPanel::paintEvent(QPaintEvent*)
{
    // The window shows dimmed around the rows.
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 160));
}

void KeysPanel::keyPressEvent(QKeyEvent* event)
{
    // Any key closes it, modifiers alone excepted.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        QWidget::keyPressEvent(event);
        break;
    default:
        close();
        break;
    }
}

void KeysPanel::mousePressEvent(QMouseEvent*)
{
    close();
}

} // namespace tandemo
