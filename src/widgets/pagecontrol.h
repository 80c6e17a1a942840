#pragma once

#include <QTabWidget>

#include <functional>

namespace pelanova {

// Pages with tabs, and a question before the user changes the page: an answer
// of false keeps the current page (so does a question that throws: the tab
// bar's event handling never sees an exception). currentChanged follows an
// allowed change. Pages the screen switches itself (setCurrentIndex) are not
// asked.
class PageControl : public QTabWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    // Fixed width of every tab, 0 for the natural width.
    void setTabWidth(int pixels);

    using ChangeQuestion = std::function<bool(int from, int to)>;
    void setChangeQuestion(ChangeQuestion question) { m_question = std::move(question); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool allowChange(int to);

    ChangeQuestion m_question;
};

} // namespace pelanova
