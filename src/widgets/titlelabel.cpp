#include "widgets/titlelabel.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace pelanova {

TitleLabel::TitleLabel(const QString &text, QWidget *parent)
    : QWidget(parent), m_text(text)
{
}

void TitleLabel::setText(const QString &text)
{
    m_text = text;
    update();
}

void TitleLabel::setTextColour(const QColor &colour)
{
    m_textColour = colour;
    update();
}

void TitleLabel::setHighlight(const QColor &colour, QPoint offset)
{
    m_highlight = colour;
    m_highlightOffset = offset;
    update();
}

void TitleLabel::setGradient(const QColor &top, const QColor &bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void TitleLabel::setOutline(const QColor &colour, int width)
{
    m_outline = colour;
    m_outlineWidth = width;
    update();
}

void TitleLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void TitleLabel::setPixelFont(const QString &family, int pixels, bool bold)
{
    QFont f = font();
    f.setFamily(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    setFont(f);
    updateGeometry();
}

QSize TitleLabel::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(m_text) + 16, fm.height() + 10};
}

void TitleLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, m_bottom);
    p.fillRect(rect(), gradient);
    if (m_outline.isValid() && m_outlineWidth > 0) {
        QPen pen(m_outline, m_outlineWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        const qreal half = m_outlineWidth / 2.0;
        p.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }
    p.setFont(font());
    const QRect area = rect().adjusted(4, 2, -4, -2);
    const int flags = int(m_alignment) | Qt::TextSingleLine;
    if (m_highlight.isValid()) {
        p.setPen(m_highlight);
        p.drawText(area.translated(m_highlightOffset), flags, m_text);
    }
    p.setPen(m_textColour);
    p.drawText(area, flags, m_text);
}

} // namespace pelanova
