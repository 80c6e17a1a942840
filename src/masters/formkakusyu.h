#pragma once

#include <array>

#include "shell/formbase.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace pelanova {

class GradientButton;
class KeyedComboBox;
class NumericEdit;

// 各種設定: the fee category new recipients get on import, the place of the
// bank master database, the form of the file for the bank (two fills and the
// line break), the own database's engine and server (used from the next
// start), and the deletion of all imported data and of the consignor and
// recipient masters. The settings are read when the screen
// opens and written when it is left with メニュー.
class TfrmKakusyu : public TfrmBase
{
    Q_OBJECT

public:
    TfrmKakusyu(ScreenContext &context, QWidget *parent);

    void btnBankToClick();
    void btnLedraToClick();
    void btnDelClick();
    // 接続テスト: connects to the server as typed and says the answer below.
    void btnTestConnectionClick();

    GradientButton *btnDel;
    QGroupBox *grpTesuuryou;
    QCheckBox *chkTesuuryou;
    NumericEdit *EditTesuuryou;
    QGroupBox *grpLedra;
    QLineEdit *EditLedraData;
    GradientButton *btnLedraTo;
    QGroupBox *grpBank;
    QLineEdit *EditBankData;
    GradientButton *btnBankTo;
    QGroupBox *grpOutput;
    KeyedComboBox *cmbClearingHouse;
    KeyedComboBox *cmbDesignation;
    KeyedComboBox *cmbLineBreak;
    // Under each list: the stored value when it is none of the choices.
    std::array<QLabel *, 3> lblUnknown{};
    QGroupBox *grpDatabase;
    KeyedComboBox *cmbEngine;
    QLineEdit *EditConnection;
    GradientButton *btnTestConnection;
    QLabel *lblConnection; // the connection test's answer

protected:
    // Saves the settings and reconnects the bank master.
    void FormClose() override;

private:
    void FormCreate();
    void engineChanged();
};

} // namespace pelanova
