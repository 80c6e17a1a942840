#pragma once

#include <QLineEdit>

namespace pelanova {

// Entry for a non-negative whole number. Only digits can be typed (and the
// group separators when grouping is on); the entry may be empty. With digit
// grouping the text is kept grouped ("1,234,567") whenever it changes, also
// when the screen sets it, so texts compared for change detection stay
// stable. value() reads an empty or non-numeric text as 0.
//
// Disabled, the entry shows the button-face colour; enabled, the window
// colour. The input method is off.
class NumericEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumericEdit(QWidget *parent = nullptr);

    void setDigitGrouping(bool on);
    bool digitGrouping() const { return m_grouping; }

    // Most digits the user can type; 9 by default, so that every value fits
    // a yen amount (32-bit signed).
    void setMaxDigits(int digits);
    int maxDigits() const { return m_maxDigits; }

    qint64 value() const;
    // Shows the value (grouped when grouping is on).
    void setValue(qint64 value);

    // Groups a run of digits by thousands ("1234567" -> "1,234,567").
    static QString groupDigits(const QString &digits);

protected:
    void changeEvent(QEvent *event) override;

private:
    void regroup();
    void applyColours();

    bool m_grouping = false;
    int m_maxDigits = 9;
    bool m_regrouping = false;
};

} // namespace pelanova
