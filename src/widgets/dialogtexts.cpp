#include "widgets/dialogtexts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace pelanova {
namespace {

struct Replacement
{
    const char *english;
    const char *japanese;
};

constexpr Replacement kTexts[] = {
    {"Pages", "ページ"},
    {"Double Sided Printing", "両面印刷"},
    {"Off", "しない"},
    {"Long side binding", "長辺とじ"},
    {"Short side binding", "短辺とじ"},
};

QString japanese(const QString &text)
{
    for (const Replacement &r : kTexts) {
        if (text == QLatin1String(r.english))
            return QString::fromUtf8(r.japanese);
    }
    return text;
}

} // namespace

void japaneseDialogTexts(QWidget &dialog)
{
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setText(japanese(label->text()));
    for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
        button->setText(japanese(button->text()));
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>())
        group->setTitle(japanese(group->title()));
    for (QComboBox *combo : dialog.findChildren<QComboBox *>()) {
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, japanese(combo->itemText(i)));
    }
}

} // namespace pelanova
