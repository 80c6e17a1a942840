#include "widgets/gradientbutton.h"

#include "widgets/focusring.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace pelanova {

GradientButton::GradientButton(QWidget *parent)
    : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover);
    setCaptionPixelSize(13);
}

GradientButton::GradientButton(const QString &line1, const QString &line2, QWidget *parent)
    : GradientButton(parent)
{
    setCaption(line1, line2);
}

void GradientButton::setCaption(const QString &line1, const QString &line2)
{
    m_line1 = line1;
    m_line2 = line2;
    setText(line2.isEmpty() ? line1 : line1 + QLatin1Char('\n') + line2);
    update();
}

QString GradientButton::captionLine(int index) const
{
    return index == 0 ? m_line1 : index == 1 ? m_line2 : QString();
}

void GradientButton::setPicture(const QIcon &picture, int size)
{
    m_picture = picture;
    m_pictureSize = size;
    update();
}

void GradientButton::setGradient(const QColor &top, const QColor &bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void GradientButton::setCaptionColour(const QColor &colour)
{
    m_captionColour = colour;
    update();
}

void GradientButton::setFrameColour(const QColor &colour)
{
    m_frameColour = colour;
    update();
}

void GradientButton::setCaptionPixelSize(int pixels, bool bold)
{
    QFont f = font();
    f.setFamily(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    setFont(f);
}

QSize GradientButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const int textWidth = qMax(fm.horizontalAdvance(m_line1), fm.horizontalAdvance(m_line2));
    const int lines = m_line2.isEmpty() ? 1 : 2;
    const int picture = m_picture.isNull() ? 0 : m_pictureSize + 6;
    return {textWidth + picture + 20, qMax(fm.height() * lines + 12, m_pictureSize + 10)};
}

void GradientButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool pressed = isDown() || isChecked();
    const bool enabled = isEnabled();

    QColor top = pressed ? m_bottom : m_top;
    QColor bottom = pressed ? m_top : m_bottom;
    if (underMouse() && enabled && !pressed) {
        top = top.lighter(106);
        bottom = bottom.lighter(106);
    }
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    QPainterPath path;
    path.addRoundedRect(r, 4, 4);
    p.fillPath(path, gradient);
    p.setPen(QPen(m_frameColour, 1.0));
    p.drawPath(path);
    if (hasFocus())
        paintFocusRing(p, rect().adjusted(2, 2, -2, -2), palette());

    QRect content = rect().adjusted(6, 3, -6, -3);
    if (pressed)
        content.translate(1, 1);
    if (!m_picture.isNull()) {
        const QRect pic(content.left(), content.top() + (content.height() - m_pictureSize) / 2,
                        m_pictureSize, m_pictureSize);
        m_picture.paint(&p, pic, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(pic.right() + 4);
    }

    p.setFont(font());
    p.setPen(enabled ? m_captionColour : palette().color(QPalette::Disabled, QPalette::WindowText));
    if (m_line2.isEmpty()) {
        p.drawText(content, Qt::AlignCenter | Qt::TextSingleLine, m_line1);
    } else {
        const QFontMetrics fm(font());
        const int lineHeight = fm.height();
        const int top = content.top() + (content.height() - 2 * lineHeight) / 2;
        const QRect first(content.left(), top, content.width(), lineHeight);
        p.drawText(first, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, m_line1);
        p.drawText(first.translated(0, lineHeight), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                   m_line2);
    }
}

} // namespace pelanova
