#include "shell/formcarender.h"

#include "core/holidays.h"
#include "widgets/monthcalendar.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

namespace pelanova {

TfrmCarender::TfrmCarender(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)
{
    setWindowTitle(QStringLiteral("カレンダ"));
    setModal(true);
    setFixedSize(351, 186);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    MonthCalendar1 = new MonthCalendar(this);
    MonthCalendar1->setGeometry(4, 4, 250, 178);
    // National holidays in red, as Sundays; Saturdays in blue.
    MonthCalendar1->setHolidays(
        [](const QDate &d) { return isNationalHoliday(d.year() * 10000 + d.month() * 100 + d.day()); });

    btnOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("決定"), this);
    btnCancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("キャンセル"), this);
    int top = 8;
    for (QPushButton *button : {btnOk, btnCancel}) {
        button->setGeometry(262, top, 84, 30);
        button->setFocusPolicy(Qt::ClickFocus); // not reached by Tab
        button->setAutoDefault(false);
        top += 36;
    }
    connect(btnOk, &QPushButton::clicked, this, &TfrmCarender::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmCarender::btnCancelClick);
    // The buttons are out of the Tab order, so Enter (or a double click) on a
    // day is how the keyboard confirms it.
    connect(MonthCalendar1, &QCalendarWidget::activated, this, &TfrmCarender::btnOkClick);

    // The dialog sees key presses before its controls do.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

int TfrmCarender::PickDate(QDate &date)
{
    MonthCalendar1->setDate(date.isValid() ? date : QDate::currentDate());
    MonthCalendar1->setFocus();
    const int result = exec() == QDialog::Accepted ? 1 : 2;
    if (result == 1)
        date = MonthCalendar1->date();
    return result;
}

void TfrmCarender::btnOkClick()
{
    accept();
}

void TfrmCarender::btnCancelClick()
{
    reject();
}

bool TfrmCarender::FormKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    btnCancelClick();
    return true;
}

bool TfrmCarender::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TfrmCarender::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}

int QtDatePicker::pickDate(QWidget *owner, QDate &date)
{
    TfrmCarender dialog(owner);
    return dialog.PickDate(date);
}

int ScriptedDatePicker::pickDate(QWidget *, QDate &date)
{
    m_opened.push_back(date);
    if (m_answers.empty())
        return 2;
    const QDate answer = m_answers.front();
    m_answers.pop_front();
    if (!answer.isValid())
        return 2;
    date = answer;
    return 1;
}

} // namespace pelanova
