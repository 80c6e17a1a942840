#include "widgets/keyeditems.h"

#include "core/unitapp.h"

namespace pelanova {

QString itemToken(const QString &item, int index)
{
    return QString::fromStdString(GetToken('\t', index, item.toStdString()));
}

QString itemTextAfterTab(const QString &item)
{
    return itemToken(item, 1);
}

QString itemTextTabAsBar(const QString &item)
{
    QString text = item;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        text[tab] = QLatin1Char('|');
    return text;
}

} // namespace pelanova
