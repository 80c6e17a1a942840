#include "widgets/monthcalendar.h"

#include <QBoxLayout>
#include <QLocale>
#include <QSpinBox>
#include <QToolButton>
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
    sunday.setForeground(kSundayColour);
    setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(kSaturdayColour);
    setWeekdayTextFormat(Qt::Saturday, saturday);
    connect(this, &QCalendarWidget::currentPageChanged, this, &MonthCalendar::markHolidays);

    // The header reads year then month, as Japanese writes them: 2026年12月.
    // Qt writes the year edit's text, suffix and all, on the year button.
    auto *year = findChild<QSpinBox *>(QStringLiteral("qt_calendar_yearedit"));
    auto *yearButton = findChild<QToolButton *>(QStringLiteral("qt_calendar_yearbutton"));
    if (year && yearButton) {
        year->setSuffix(QStringLiteral("年"));
        yearButton->setText(year->text());
    }
    auto *bar = findChild<QWidget *>(QStringLiteral("qt_calendar_navigationbar"));
    auto *row = bar ? qobject_cast<QBoxLayout *>(bar->layout()) : nullptr;
    auto *month = findChild<QWidget *>(QStringLiteral("qt_calendar_monthbutton"));
    if (row && month && yearButton && row->indexOf(month) >= 0 && row->indexOf(yearButton) >= 0) {
        row->removeWidget(yearButton);
        row->insertWidget(row->indexOf(month), yearButton);
    }
}

void MonthCalendar::setDate(const QDate &date)
{
    setSelectedDate(date);
    setCurrentPage(date.year(), date.month());
}

void MonthCalendar::setHolidays(std::function<bool(const QDate &)> isHoliday)
{
    m_isHoliday = std::move(isHoliday);
    markHolidays(yearShown(), monthShown());
}

void MonthCalendar::markHolidays(int year, int month)
{
    setDateTextFormat(QDate(), QTextCharFormat()); // forgets the last page's
    if (!m_isHoliday)
        return;
    QTextCharFormat holiday;
    holiday.setForeground(kSundayColour);
    // The page shows days of the months before and after as well.
    const QDate first = QDate(year, month, 1).addMonths(-1);
    const QDate last = QDate(year, month, 1).addMonths(2).addDays(-1);
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        if (m_isHoliday(d))
            setDateTextFormat(d, holiday);
    }
}

} // namespace pelanova
