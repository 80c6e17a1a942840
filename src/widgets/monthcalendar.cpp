#include "widgets/monthcalendar.h"

#include <QLocale>
#include <QTextCharFormat>

namespace pelanova {

MonthCalendar::MonthCalendar(QWidget *parent)
    : QCalendarWidget(parent)
{
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(false);
    QTextCharFormat sunday;
    sunday.setForeground(QColor(200, 0, 0));
    setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(QColor(0, 0, 200));
    setWeekdayTextFormat(Qt::Saturday, saturday);
}

void MonthCalendar::setDate(const QDate &date)
{
    setSelectedDate(date);
    setCurrentPage(date.year(), date.month());
}

} // namespace pelanova
