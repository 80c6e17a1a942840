#pragma once

#include <QCalendarWidget>
#include <QColor>

#include <functional>

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

    // Holidays are drawn in the Sundays' red; the calendar asks about the days
    // of each month it shows.
    void setHolidays(std::function<bool(const QDate &)> isHoliday);

    static inline const QColor kSundayColour{200, 0, 0};
    static inline const QColor kSaturdayColour{0, 0, 200};

private:
    void markHolidays(int year, int month);

    std::function<bool(const QDate &)> m_isHoliday;
};

} // namespace pelanova
