#pragma once

#include <QLineEdit>

namespace pelanova {

// The preview's jump entry: a page number typed and committed (Enter, or
// leaving the field) asks for that page; an empty entry is page 0, which asks
// for nothing. Enter selects the text afterwards, so the next number typed
// replaces it. An entry that is not an integer keeps the focus, selected, and
// is reported (the frame beeps and says so).
class PageJumpField : public QLineEdit
{
    Q_OBJECT

public:
    explicit PageJumpField(QWidget *parent = nullptr);

    // Makes a pending entry take effect. False when it does not convert.
    bool commit();

signals:
    void jumpRequested(int page);
    void invalidEntry(const QString &entered);
    // After every commit that converted (the frame refreshes its page display).
    void committed();

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_committing = false;
};

} // namespace pelanova
