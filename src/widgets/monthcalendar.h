#pragma once

#include <QCalendarWidget>

namespace pelanova {

// One month at a time, weeks starting on Sunday, Japanese day and month
// names, the header reading year then month (2026年12月); the user moves
// between months and picks a day.
class MonthCalendar : public QCalendarWidget
{
    Q_OBJECT

public:
    explicit MonthCalendar(QWidget *parent = nullptr);

    QDate date() const { return selectedDate(); }
    // Selects the date and shows its month.
    void setDate(const QDate &date);
};

} // namespace pelanova
