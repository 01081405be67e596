#pragma once

#include <QPointer>
#include <QWidget>

class QTableWidget;

namespace tandemo {

/// Every key and gesture of the players, in a table over the whole window, until a key or a
/// click closes it. The focus goes back where it was.
class KeysPanel : public QWidget {
    Q_OBJECT
public:
    /// Shows the panel over the window, or closes it when it is already shown.
    static void toggleOver(QWidget& window);

    explicit KeysPanel(QWidget& window);

    QTableWidget& table() const { return *m_table; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void close();

    QTableWidget* m_table;
    QPointer<QWidget> m_focusBefore;
};

} // namespace tandemo
