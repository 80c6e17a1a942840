#pragma once

#include "shell/datepicker.h"

#include <QDate>
#include <QDialog>

#include <deque>
#include <vector>

class QPushButton;

namespace pelanova {

class MonthCalendar;

// The calendar dialog: a month calendar with "決定" and "キャンセル".
// Esc and the close box give Cancel as "キャンセル" does; Enter or a double
// click on a day gives OK as "決定" does.
class TfrmCarender : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmCarender(QWidget *owner = nullptr);

    // Shows the calendar on the date (today when it is not valid) modally.
    // Returns 1 (OK) or 2 (Cancel); only OK writes the picked day back into
    // date.
    int PickDate(QDate &date);

    MonthCalendar *MonthCalendar1;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void btnOkClick();
    void btnCancelClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool FormKeyPress(QKeyEvent *event);
};

// A new calendar dialog for every use, discarded after it closes.
class QtDatePicker : public DatePicker
{
public:
    int pickDate(QWidget *owner, QDate &date) override;
};

class ScriptedDatePicker : public DatePicker
{
public:
    // Answers the next use with OK and this date.
    void answerOk(const QDate &date) { m_answers.push_back(date); }
    // Answers the next use with Cancel.
    void answerCancel() { m_answers.push_back(QDate()); }
    int pickDate(QWidget *owner, QDate &date) override;

    // The dates the calendar was opened on.
    const std::vector<QDate> &openedOn() const { return m_opened; }

private:
    std::deque<QDate> m_answers;
    std::vector<QDate> m_opened;
};

} // namespace pelanova
