#include "masters/feemasterpage.h"

#include "core/unitapp.h"

namespace pelanova {

namespace {
constexpr const char *kAskCancel = "データは変更されています。キャンセルすると元に戻ります。\n\rよろしいですか？";
}

FeeMasterPage::FeeMasterPage(MessageBoxes &boxes, sql::Database &db, QWidget *parent)
    : QWidget(parent), m_boxes(boxes), m_db(db)
{
}

void FeeMasterPage::askToSave(const char *question)
{
    if (m_boxes.messageBox(question, kCaption, MessageIcon::Question, MessageButtons::YesNo, kDefaultButton1) ==
        IdYes)
        save();
}

bool FeeMasterPage::confirmCancel()
{
    return YesNoMsg(m_boxes, kAskCancel, kDefaultButton1) == IdYes;
}

} // namespace pelanova
