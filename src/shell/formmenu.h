#pragma once

#include "shell/hostedscreen.h"

class QFrame;
class QLabel;

namespace pelanova {

class GradientButton;

// The menu: one button per work screen with its description, and the
// button that ends the application. A work screen that cannot be opened has
// its button disabled.
class TfrmMenu : public HostedScreen
{
    Q_OBJECT

public:
    TfrmMenu(ScreenContext &context, QWidget *parent);

    GradientButton *btnImport;
    GradientButton *btnFurikomiIraiPrint;
    GradientButton *btnShisetuMaster;
    GradientButton *btnFurikomiTesuuryou;
    GradientButton *btnKakusyu;
    GradientButton *BitBtnSystemEnd;

private:
    GradientButton *addEntry(QFrame *group, const QColor &captionColour, const QString &caption,
                             const QString &description, uint8_t screenId);
};

} // namespace pelanova
