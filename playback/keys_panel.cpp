#include "playback/keys_panel.h"

#include "platform/hosted_component.h"
#include "session/player_keys.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tandemo {

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
    , m_table(new QTableWidget(int(playerKeys().size()), 2, this))
    , m_focusBefore(QApplication::focusWidget())
{
    // Part of the players, shown over the window: the window's skin and font stay out of it.
    markHostedComponent(*this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    m_table->setHorizontalHeaderLabels({tr("Key or gesture"), tr("Does")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setWordWrap(false);
    int row = 0;
    for (const KeyRow& keys : playerKeys()) {
        m_table->setItem(row, 0, new QTableWidgetItem(plainKeys(keys)));
        m_table->setItem(row, 1, new QTableWidgetItem(tr(keys.does)));
        ++row;
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Clicks on the table close the panel as clicks beside it do.
    m_table->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(m_table);

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

bool KeysPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    if (watched == m_table->viewport() && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void KeysPanel::paintEvent(QPaintEvent*)
{
    // The window shows dimmed around the table.
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
