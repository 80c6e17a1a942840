#pragma once

#include <QColor>
#include <QIcon>
#include <QPushButton>

namespace pelanova {

// Push button drawn on a vertical gradient, with one or two centred caption
// lines and an optional picture at the left. text() holds the lines joined by
// "\n", so the caption can be found as with any button.
class GradientButton : public QPushButton
{
    Q_OBJECT

public:
    explicit GradientButton(QWidget *parent = nullptr);
    GradientButton(const QString &line1, const QString &line2, QWidget *parent = nullptr);

    void setCaption(const QString &line1, const QString &line2 = QString());
    QString captionLine(int index) const;

    void setPicture(const QIcon &picture, int size = 24);
    void setGradient(const QColor &top, const QColor &bottom);
    void setCaptionColour(const QColor &colour);
    void setFrameColour(const QColor &colour);
    // Bold type of the given pixel height.
    void setCaptionPixelSize(int pixels, bool bold = true);

    QColor captionColour() const { return m_captionColour; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_line1;
    QString m_line2;
    QIcon m_picture;
    int m_pictureSize = 24;
    QColor m_top{255, 255, 255};
    QColor m_bottom{200, 214, 228};
    QColor m_captionColour{0, 0, 0};
    QColor m_frameColour{112, 128, 144};
};

} // namespace pelanova
