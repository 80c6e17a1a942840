#pragma once

#include <QLineEdit>

class QToolButton;

namespace pelanova {

// Text entry with a small "…" button at its right end, for choosing the
// value elsewhere (a file dialog, a list).
class EllipsisEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit EllipsisEdit(QWidget *parent = nullptr);
    QToolButton *ellipsisButton() const { return m_button; }

signals:
    void ellipsisClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_button;
};

} // namespace pelanova
