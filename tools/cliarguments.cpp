#include "cliarguments.h"

#include "core/my_year.h"

#include <cstdint>
#include <ctime>
#include <exception>

namespace pelanova::cli {

int today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::string Arguments::option(const std::string &name) const
{
    auto it = options.find(name);
    if (it == options.end())
        throw UsageError(command + ": " + name + " is required");
    return it->second;
}

std::string Arguments::option(const std::string &name, const std::string &fallback) const
{
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
}

int parseInteger(const std::string &text, const char *what)
{
    try {
        size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size() && value >= INT32_MIN && value <= INT32_MAX)
            return static_cast<int>(value);
    } catch (const std::exception &) {
    }
    throw UsageError(std::string(what) + ": not an integer: " + text);
}

int parseDate(const std::string &text)
{
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos
        || !IsValidDate(std::stoi(text) / 10000, std::stoi(text) / 100 % 100, std::stoi(text) % 100))
        throw UsageError("not a date (YYYYMMDD): " + text);
    return std::stoi(text);
}

} // namespace pelanova::cli
