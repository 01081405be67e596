#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLayout;

namespace tandemo {

/// Every key and gesture of the players, and the menu's commands without a key, over the whole
/// window until a key or a click closes it (as it says at its top); the focus goes back where it
/// was. The rows stand in two columns and wrap, in a font small enough for all of them to fit
/// the window, at any size and scale.
class KeysPanel : public QWidget {
    Q_OBJECT
public:
    /// Shows the panel over the window, or closes it when it is already shown.
    static void toggleOver(QWidget& window);

    explicit KeysPanel(QWidget& window);

    /// Each row's key (or gesture) and what it does, as shown.
    struct Row {
        QLabel* keys;
        QLabel* does;
    };
    const QList<Row>& rows() const { return m_rows; }
    QLabel& title() const { return *m_title; }
    /// The part that holds the title and the rows.
    QWidget& card() const { return *m_card; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void close();
    /// The largest font at which every row fits the panel.
    void fitFont();

    QWidget* m_card;
    QLabel* m_title;
    QList<Row> m_rows;
    QLayout* m_rowsLayout = nullptr;
    double m_largestPointSize;
    QPointer<QWidget> m_focusBefore;
};

} // namespace tandemo
