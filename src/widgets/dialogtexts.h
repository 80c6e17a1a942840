#pragma once

class QWidget;

namespace pelanova {

// Puts Japanese in place of the texts of Qt's own dialogs (the print dialog,
// the file dialog) that Qt's Japanese translation leaves in English.
void japaneseDialogTexts(QWidget &dialog);

} // namespace pelanova
