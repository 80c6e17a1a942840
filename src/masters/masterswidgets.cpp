#include "masters/masterswidgets.h"

#include "core/format.h"

#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace pelanova::masters {

void setScreenFont(QWidget *widget, int pixels)
{
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(pixels);
    widget->setFont(font);
}

void setFieldEnabled(QWidget *field, bool enabled)
{
    field->setEnabled(enabled);
    const QPalette standard;
    const QColor colour = enabled ? standard.color(QPalette::Active, QPalette::Base)
                                  : standard.color(QPalette::Active, QPalette::Button);
    QPalette pal = field->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, colour);
    field->setPalette(pal);
}

void fillField(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setModified(false);
}

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

GradientButton *bodyButton(const QString &caption, QWidget *parent, int width)
{
    auto *button = new GradientButton(caption, QString(), parent);
    button->setFixedSize(width, 34);
    button->setCaptionPixelSize(13, true);
    button->setGradient(QColor(255, 255, 255), QColor(196, 214, 232));
    return button;
}

QString groupedAmount(qint64 value)
{
    return QString::fromStdString(formatGrouped(value));
}

} // namespace pelanova::masters
