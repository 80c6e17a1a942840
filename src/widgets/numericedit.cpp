#include "widgets/numericedit.h"

#include "core/format.h"

#include <QEvent>
#include <QValidator>

namespace pelanova {

namespace {

class DigitsValidator : public QValidator
{
public:
    explicit DigitsValidator(const NumericEdit *edit)
        : QValidator(const_cast<NumericEdit *>(edit)), m_edit(edit) {}

    State validate(QString &input, int &) const override
    {
        int digits = 0;
        for (const QChar c : input) {
            if (c.isDigit() && c.unicode() < 128)
                ++digits;
            else if (!(c == QLatin1Char(',') && m_edit->digitGrouping()))
                return Invalid;
        }
        return digits <= m_edit->maxDigits() ? Acceptable : Invalid;
    }

private:
    const NumericEdit *m_edit;
};

QString digitsOnly(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
    }
    return digits;
}

} // namespace

NumericEdit::NumericEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setValidator(new DigitsValidator(this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, &NumericEdit::regroup);
    applyColours();
}

void NumericEdit::setDigitGrouping(bool on)
{
    m_grouping = on;
    if (on) {
        regroup();
    } else {
        QString plain = text();
        plain.remove(QLatin1Char(','));
        setText(plain);
    }
}

void NumericEdit::setMaxDigits(int digits)
{
    m_maxDigits = qBound(1, digits, 18);
}

qint64 NumericEdit::value() const
{
    QString t = text().trimmed();
    t.remove(QLatin1Char(','));
    if (t.isEmpty() || t.size() > 18)
        return 0;
    for (const QChar c : t) {
        if (!c.isDigit() || c.unicode() >= 128)
            return 0;
    }
    return t.toLongLong();
}

void NumericEdit::setValue(qint64 value)
{
    setText(QString::number(qMax<qint64>(value, 0)));
}

QString NumericEdit::groupDigits(const QString &digits)
{
    return QString::fromStdString(pelanova::groupDigits(digits.toStdString()));
}

void NumericEdit::regroup()
{
    if (!m_grouping || m_regrouping)
        return;
    const QString current = text();
    QString digits = digitsOnly(current);
    // Leading zeros go, "0" itself stays.
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits.remove(0, 1);
    const QString grouped = groupDigits(digits);
    if (grouped == current)
        return;

    // Keep the cursor behind the same number of digits.
    const int cursor = cursorPosition();
    int digitsBefore = 0;
    for (int i = 0; i < cursor && i < current.size(); ++i) {
        if (current[i].isDigit())
            ++digitsBefore;
    }
    digitsBefore = qMax(0, digitsBefore - int(digitsOnly(current).size() - digits.size()));
    m_regrouping = true;
    setText(grouped);
    m_regrouping = false;
    int pos = 0;
    for (int seen = 0; pos < grouped.size() && seen < digitsBefore; ++pos) {
        if (grouped[pos].isDigit())
            ++seen;
    }
    setCursorPosition(pos);
}

void NumericEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyColours();
}

void NumericEdit::applyColours()
{
    // The window colour when enabled, the button face when disabled.
    const QPalette standard;
    const QColor colour = isEnabled() ? standard.color(QPalette::Active, QPalette::Base)
                                      : standard.color(QPalette::Active, QPalette::Button);
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Base, colour);
    pal.setColor(QPalette::Inactive, QPalette::Base, colour);
    pal.setColor(QPalette::Disabled, QPalette::Base, colour);
    setPalette(pal);
}

} // namespace pelanova
