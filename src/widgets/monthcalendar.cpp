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
    sunday.setForeground(QColor(200, 0, 0));
    setWeekdayTextFormat(Qt::Sunday, sunday);
    QTextCharFormat saturday;
    saturday.setForeground(QColor(0, 0, 200));
    setWeekdayTextFormat(Qt::Saturday, saturday);

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

} // namespace pelanova
