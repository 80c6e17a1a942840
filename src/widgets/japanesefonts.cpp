#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QFont>
#include <QString>

namespace pelanova {

void installJapaneseFonts()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"));
}

void useScreenFont()
{
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(13);
    QApplication::setFont(font);
}

} // namespace pelanova
