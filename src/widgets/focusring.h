#pragma once

#include <QAbstractScrollArea>
#include <QPainter>

class QCoreApplication;
class QFocusEvent;
class QPaintEvent;

namespace pelanova {

// The focus mark of the control kit's buttons and lists: a ring two pixels
// wide in the highlight colour, drawn just inside rect.
void paintFocusRing(QPainter &painter, const QRect &rect, const QPalette &palette);

// A list view (QListWidget, QTableWidget ...) that shows the focus ring round
// its lines while it has the focus.
template <typename View>
class WithFocusRing : public View
{
public:
    using View::View;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        View::paintEvent(event);
        if (this->hasFocus()) {
            QPainter painter(this->viewport());
            paintFocusRing(painter, this->viewport()->rect(), this->palette());
        }
    }
    void focusInEvent(QFocusEvent *event) override
    {
        View::focusInEvent(event);
        this->viewport()->update();
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        View::focusOutEvent(event);
        this->viewport()->update();
    }
    void scrollContentsBy(int dx, int dy) override
    {
        View::scrollContentsBy(dx, dy);
        // The ring stays at the edge of the view while the lines move.
        if (this->hasFocus())
            this->viewport()->update();
    }
};

// Enter (Return or the keypad's Enter) on a focused push or tool button
// presses it, as Space does, in every window of the application. Buttons of
// dialogs that Qt already presses on Enter are left to Qt. Call once after the
// application object exists; further calls do nothing.
void installEnterPressesButtons(QCoreApplication &app);

} // namespace pelanova
