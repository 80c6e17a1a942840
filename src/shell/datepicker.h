#pragma once

class QDate;
class QWidget;

namespace pelanova {

// Where the screens get a date picked: the calendar dialog (shell/formcarender.h),
// or a scripted one in tests.
class DatePicker
{
public:
    virtual ~DatePicker() = default;
    // Returns 1 (OK, date holds the picked day) or 2 (Cancel, date unchanged).
    virtual int pickDate(QWidget *owner, QDate &date) = 0;
};

} // namespace pelanova
