#pragma once

#include "shell/hostedscreen.h"

class QAbstractButton;
class QHBoxLayout;

namespace pelanova {

class GradientButton;
class TitleLabel;

// Base of the work screens: a header band (Panel1, 49 pixels) with the
// screen's title panel at the left, the screen's own buttons, and the
// "メニュー" button at the right edge; below it the screen's body.
class TfrmBase : public HostedScreen
{
    Q_OBJECT

public:
    TfrmBase(ScreenContext &context, QWidget *parent);

    // The title panel at the left of the header band (hidden while empty).
    void setTitle(const QString &title);
    QString title() const;

    // Adds a button to the header band, after the buttons added before and
    // to the left of btnMenu.
    void addHeaderButton(QAbstractButton *button);
    // A header button of the usual look (gradient, bold caption, picture).
    GradientButton *createHeaderButton(const QString &line1, const QString &line2 = QString(),
                                       int width = 116);

    // The area below the header band, for the screen's controls.
    QWidget *body() const { return m_body; }

    QWidget *Panel1;
    TitleLabel *pnlTitle;
    GradientButton *btnMenu;

protected:
    // Closes the screen, then shows the menu. Screens that extend it call
    // this first.
    virtual void btnMenuClick();

private:
    QHBoxLayout *m_headerButtons;
    QWidget *m_body;
};

} // namespace pelanova
