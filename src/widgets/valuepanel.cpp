#include "widgets/valuepanel.h"

#include <QLabel>

namespace pelanova {

QLabel *valuePanel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMargin(1);
    return label;
}

} // namespace pelanova
