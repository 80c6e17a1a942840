#pragma once

// The characters of names in Zengin records (half-width katakana without ｦ
// and the small forms, ﾞ and ﾟ, A-Z, 0-9, the blank and ( ) - .), and how a
// name's bytes read to a person.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova::zengin {

// The form a name's character has among the characters of Zengin names,
// as banks convert it (ｮ → ﾖ, a → A, ｰ → -); nothing when it has none.
std::optional<char> zenginNameForm(unsigned char c);

// Symbols in names that only some banks accept: / , ¥ ｢ ｣
bool isSymbolOfSomeBanks(unsigned char c);

// What a name (CP932 bytes) holds outside the Zengin set.
struct NameCharacters
{
    std::string noForm;      // characters without a Zengin form, each once, as 「x」
    std::string convertible; // characters a bank converts, each once, as 「x」
    std::string someBanks;   // symbols only some banks accept, each once, as 「x」
    std::string converted;   // the name with each convertible character in its Zengin form
};
NameCharacters nameCharacters(std::string_view name);

// A voiced or semi-voiced sound mark that stands where none may: ﾞ goes only
// after ｶ-ﾄ, ﾊ-ﾎ and ｳ, ﾟ only after ﾊ-ﾎ.
struct MisplacedMark
{
    size_t character = 0;  // the mark's position in the name, from 1 (a double-byte character counts once)
    std::string mark;      // "ﾞ" or "ﾟ" as CP932 bytes
    std::string after;     // the character before it (CP932 bytes); empty when the mark comes first
};
std::vector<MisplacedMark> misplacedMarks(std::string_view name);

// The bytes as a reader sees them: CP932 decoded; control bytes and bytes
// that are no character written as <XX>.
std::string shownBytes(std::string_view bytes);

} // namespace pelanova::zengin
