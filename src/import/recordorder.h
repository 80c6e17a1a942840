#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pelanova {

// The order of the records of one general-transfer file: one header, its data
// records, then one trailer and one end record. Fed the records in file order,
// it says why a record may not stand where it stands, and holds the data
// records' count and sum for the trailer's control totals.
class RecordOrder
{
public:
    // The refusal for a record of this kind at this point; nothing when it
    // may follow the records before it (the record then counts as seen).
    std::optional<std::string> refusal(int kind);
    void addData(int64_t amount);
    // The refusal for a trailer whose count or total differs from the data
    // records before it.
    std::optional<std::string> trailerRefusal(int64_t count, int64_t total) const;

private:
    bool m_seen[3] = {false, false, false}; // header, trailer, end
    int64_t m_count = 0;
    int64_t m_total = 0;
};

// The refusal for a header that is not a Shift-JIS general transfer: another
// kind of Zengin file (direct debit, salary, bonus) or another character code.
std::optional<std::string> headerKindRefusal(std::string_view header);

// The refusal for a data record whose amount carries a sign: a Zengin amount
// has none, and a negative one would reduce another facility's transfer to the
// same account when the facilities are merged. recordNumber counts from 1.
std::optional<std::string> signedAmountRefusal(std::string_view data, int64_t recordNumber);

} // namespace pelanova
