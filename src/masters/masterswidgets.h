#pragma once

#include "widgets/utf8text.h"

#include <QString>

#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace pelanova {

class GradientButton;

namespace masters {

// The screens' type: "ＭＳ ゴシック" of the given character height.
void setScreenFont(QWidget *widget, int pixels = 13);

// Enables or disables an entry and gives it the window colour (enabled) or
// the button-face colour (disabled).
void setFieldEnabled(QWidget *field, bool enabled);

// Fills an entry as the screen does (not as the user): the entry then counts
// as unchanged.
void fillField(QLineEdit *edit, const QString &text);

// A caption label beside an entry.
QLabel *fieldLabel(const QString &text, QWidget *parent);

// A button of the screens' body (登録, キャンセル).
GradientButton *bodyButton(const QString &caption, QWidget *parent, int width = 100);

// "#,##0" of an amount.
QString groupedAmount(qint64 value);

} // namespace masters
} // namespace pelanova
