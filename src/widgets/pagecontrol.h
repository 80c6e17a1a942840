#pragma once

#include <QTabWidget>

namespace pelanova {

// Pages with tabs, and an event before the user changes the page: a
// receiver of changing that sets allow to false keeps the current page. The
// receiver must be connected directly. currentChanged follows an allowed
// change. Pages the screen switches itself (setCurrentIndex) are not asked.
class PageControl : public QTabWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    // Fixed width of every tab, 0 for the natural width.
    void setTabWidth(int pixels);

signals:
    void changing(int from, int to, bool &allow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool allowChange(int to);
};

} // namespace pelanova
