#pragma once

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The vocabulary every command of pelanova-cli shares: its arguments, its
// exit codes and the reading of dates and numbers.

namespace pelanova::cli {

class Context;

// Exit codes: 0 success, 1 refusal or failure (the system's message on
// stderr), 2 usage error.
enum Exit { Ok = 0, Refused = 1, Usage = 2 };

class UsageError : public std::exception
{
public:
    explicit UsageError(std::string message) : m_message(std::move(message)) {}
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// The arguments of one command: options (--name value, or --flag) and the rest.
struct Arguments
{
    std::string command;
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;

    bool flag(const std::string &name) const { return options.count(name) != 0; }
    std::string option(const std::string &name) const;          // required
    std::string option(const std::string &name, const std::string &fallback) const;
};

// A transfer request date given as YYYYMMDD; UsageError when it is no real date.
int parseDate(const std::string &text);
int parseInteger(const std::string &text, const char *what);
// Today's date, yyyymmdd.
int today();

} // namespace pelanova::cli
