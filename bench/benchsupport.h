#pragma once

// What every benchmark program shares.

#include "core/records.h"
#include "core/userinterface.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace pelanova::bench {

using Clock = std::chrono::steady_clock;

// Message boxes of an unattended run: the text on stderr, the answer OK.
class StderrBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &, MessageIcon, MessageButtons, int) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IdOk;
    }
};

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A general-transfer file of one header, `records` data records to
// `recipients` accounts at 13 branches of 7 banks, its trailer and end record.
inline std::string makeTransferFile(int records, int recipients, const std::string &branchName = "ｼﾝｼﾞｭｸ")
{
    zengin::ConsignorFields c{"0000012345", "ﾍﾞﾝﾁﾏ-ｸ", 1, "ﾐｽﾞﾎ", 1, "ﾎﾝﾃﾝ", 1, "1234567"};
    std::string bytes = zengin::buildHeader(c, 20080115);
    bytes.reserve((static_cast<size_t>(records) + 3) * zengin::kRecordSize);
    int64_t total = 0;
    for (int i = 0; i < records; ++i) {
        zengin::TransferFields t;
        t.bankNumber = 5 + i % 7;
        t.bankName = "ﾐﾂﾋﾞｼ";
        t.branchNumber = 100 + i % recipients % 13;
        t.branchName = branchName;
        t.accountType = 1;
        char account[12];
        std::snprintf(account, sizeof account, "%07d", i % recipients);
        t.account = account;
        t.payee = "ﾔﾏﾀﾞ ﾀﾛｳ";
        const int amount = 1000 + i % 50000;
        total += amount;
        bytes += zengin::buildData(t, amount);
    }
    bytes += zengin::buildTrailer(records, total) + zengin::buildEnd();
    return bytes;
}

} // namespace pelanova::bench
