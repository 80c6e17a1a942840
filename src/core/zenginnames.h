#pragma once

// The characters of names in Zengin records (half-width katakana without ｦ
// and the small forms, ﾞ and ﾟ, A-Z, 0-9, the blank and ( ) - .), and how a
// name's bytes read to a person.

#include <optional>
#include <string>
#include <string_view>

namespace pelanova::zengin {

// The form a name's character has among the characters of Zengin names,
// as banks convert it (ｮ → ﾖ, a → A, ｰ → -); nothing when it has none.
std::optional<char> zenginNameForm(unsigned char c);

// Symbols in names that only some banks accept: / , ¥ ｢ ｣
bool isSymbolOfSomeBanks(unsigned char c);

// What a name holds outside the Zengin set.
struct NameCharacters
{
    std::string outside;   // characters outside the set, each once, as 「x」
    std::string someBanks; // symbols only some banks accept, each once, as 「x」
    std::string converted; // the name as a bank converts it
    bool convertible = true; // every character outside the set has a form in it
};
NameCharacters nameCharacters(std::string_view name);

// The bytes as a reader sees them: CP932 decoded; control bytes and bytes
// that are no character written as <XX>.
std::string shownBytes(std::string_view bytes);

} // namespace pelanova::zengin
