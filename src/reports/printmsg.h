#pragma once

#include "widgets/busyscope.h"

#include <QWidget>

class QLabel;

namespace pelanova {

// The "Now Printing..." notice shown while a print job runs: a small fixed
// window above all others, centred on the screen, with the wait cursor while
// it is shown. At most one exists; closing it restores the cursor and
// releases it.
class TPrintMsg : public QWidget
{
    Q_OBJECT

public:
    // Shows the notice (creating it when none exists) and paints it at once.
    static TPrintMsg *showNotice();
    // Closes and releases the notice when it is shown.
    static void closeNotice();
    static TPrintMsg *instance();

    QString messageText() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    TPrintMsg();
    ~TPrintMsg() override = default;

    // The wait cursor for as long as the notice exists.
    BusyScope m_busy;
    QLabel *m_label;
};

// A print job as a window shows it: for the scope's length the window is
// disabled, the wait cursor is on and the notice is shown and drawn; at its
// end the notice goes, clicks and keys made during the job are dropped (the
// window is still disabled when they arrive) and the window is enabled.
class PrintingScope
{
public:
    explicit PrintingScope(QWidget *window);
    ~PrintingScope();
    PrintingScope(const PrintingScope &) = delete;
    PrintingScope &operator=(const PrintingScope &) = delete;

    // Draws the notice again, so the program never looks hung while it
    // prints (after every page).
    static void drawNotice();

private:
    QWidget *m_window;
    BusyScope m_busy;
};

} // namespace pelanova
