#pragma once

// Builds Zengin general-transfer files for tests, byte by byte, independently
// of the system's own record builders.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace testdata {

// A 120-byte record of blanks with the kind byte set.
inline std::string blankRecord(char kind)
{
    std::string r(120, ' ');
    r[0] = kind;
    return r;
}

// Writes bytes at a 1-based position.
inline void put(std::string &record, int pos, std::string_view bytes)
{
    record.replace(static_cast<size_t>(pos - 1), bytes.size(), bytes);
}

struct HeaderSpec
{
    std::string consignorCode = "0000012345";              // 10
    std::string consignorName = std::string(30, ' ') + "\xBC\xBC\xDE\xD6\xB3\xC0\xDB\xB3\xB7\xBC"; // 40: ｼｼﾞﾖｳﾀﾛｳｷｼ
    std::string mmdd = "0115";
    std::string bank = "0001";
    std::string bankName = "          \xD0\xBD\xDE\xCE\xDE";  // 15
    std::string branch = "001";
    std::string branchName = "          \xCE\xDD\xC3\xDD\xB1"; // 15
    std::string accountType = "1";
    std::string account = "1234567";
};

inline std::string header(const HeaderSpec &h = {})
{
    std::string r = blankRecord('1');
    put(r, 2, "21");
    put(r, 4, "0");
    put(r, 5, h.consignorCode);
    put(r, 15, h.consignorName);
    put(r, 55, h.mmdd);
    put(r, 59, h.bank);
    put(r, 63, h.bankName);
    put(r, 78, h.branch);
    put(r, 81, h.branchName);
    put(r, 96, h.accountType);
    put(r, 97, h.account);
    return r;
}

struct DataSpec
{
    std::string bank = "0005";
    std::string bankName = "          \xD0\xC2\xB2\xBD\xD0"; // 15
    std::string branch = "123";
    std::string branchName = "          \xBC\xDD\xBC\xDE\xD5"; // 15: ｼﾝｼﾞﾕ
    std::string clearing = "    ";
    std::string accountType = "1";
    std::string account = "7654321";
    std::string name = std::string(20, ' ') + "\xD4\xCF\xC0\xDE \xC0\xDB\xB3  "; // 30
    std::string amount = "0000012345";
    std::string newCode = "0";
    std::string customer = "00000000000000000000";
    std::string designation = " ";
};

inline std::string data(const DataSpec &d = {})
{
    std::string r = blankRecord('2');
    put(r, 2, d.bank);
    put(r, 6, d.bankName);
    put(r, 21, d.branch);
    put(r, 24, d.branchName);
    put(r, 39, d.clearing);
    put(r, 43, d.accountType);
    put(r, 44, d.account);
    put(r, 51, d.name);
    put(r, 81, d.amount);
    put(r, 91, d.newCode);
    put(r, 92, d.customer);
    put(r, 112, d.designation);
    return r;
}

inline std::string trailer(const std::string &count, const std::string &total)
{
    std::string r = blankRecord('8');
    put(r, 2, count);
    put(r, 8, total);
    return r;
}

inline std::string end()
{
    return blankRecord('9');
}

inline void writeFile(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace testdata
