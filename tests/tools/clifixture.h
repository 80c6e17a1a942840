#pragma once

// Runs pelanova-cli as a user runs it, on a database and settings file in a
// folder of the test's own.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class CliFixture : public ::testing::Test
{
protected:
    struct Result
    {
        int status;
        std::string out;
    };

    void SetUp() override
    {
        const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::path(::testing::TempDir())
              / ("pelanova_" + std::string(test->test_suite_name()) + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the tool with stdout captured (stderr to err.txt).
    Result cli(const std::string &args)
    {
        const std::string cmd = std::string("'") + PELANOVA_CLI + "' --db '" + path("FBDB.db") + "' --ini '"
                                + path("pelanova.ini") + "' " + args + " 2>'" + path("err.txt") + "'";
        FILE *p = popen(cmd.c_str(), "r");
        Result r{-1, {}};
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
            r.out.append(buf.data(), n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }

    std::string read(const std::string &name)
    {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string err() { return read("err.txt"); }
    std::string path(const std::string &name) const { return (dir / name).string(); }

    std::filesystem::path dir;
};
