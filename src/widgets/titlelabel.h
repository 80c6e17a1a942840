#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

namespace pelanova {

// A caption drawn on a vertical gradient with a highlight (or shadow) copy of
// the text offset behind it, and an optional outline. Serves the main
// window's title band and the title panels of the screens.
class TitleLabel : public QWidget
{
    Q_OBJECT

public:
    explicit TitleLabel(const QString &text = QString(), QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }

    void setTextColour(const QColor &colour);
    // The copy drawn behind the text; an invalid colour draws none.
    void setHighlight(const QColor &colour, QPoint offset);
    void setGradient(const QColor &top, const QColor &bottom);
    // An invalid colour draws no outline.
    void setOutline(const QColor &colour, int width = 1);
    void setAlignment(Qt::Alignment alignment);
    void setPixelFont(const QString &family, int pixels, bool bold);

    QColor textColour() const { return m_textColour; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_textColour{0, 0, 0};
    QColor m_highlight;
    QPoint m_highlightOffset{-1, -1};
    QColor m_top{255, 255, 255};
    QColor m_bottom{255, 255, 255};
    QColor m_outline;
    int m_outlineWidth = 1;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

} // namespace pelanova
