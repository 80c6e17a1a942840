#pragma once

// Runs pelanova-cli as a user runs it, on a database and settings file in a
// folder of the test's own.

#include <gtest/gtest.h>

#include "support/tempdir.h"
#include "support/testdatabase.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/wait.h>

class CliFixture : public ::testing::Test
{
protected:
    struct Result
    {
        int status;
        std::string out;
    };

    // A fresh folder for each test.
    void SetUp() override
    {
        m_folder = std::make_unique<pelanova::test::TempDir>();
        dir = m_folder->path();
        database = pelanova::test::ownDatabaseLocation(path("FBDB.db"));
    }
    void TearDown() override { m_folder.reset(); }

    // Runs the tool with stdout captured (stderr to err.txt, or another file
    // for runs side by side).
    Result cli(const std::string &args, const std::string &errFile = "err.txt")
    {
        const std::string cmd = std::string("'") + PELANOVA_CLI + "' --db \"" + database + "\" --ini '"
                                + path("pelanova.ini") + "' " + args + " 2>'" + path(errFile) + "'";
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
    // The own database: FBDB.db in the folder, or a schema on the test server.
    std::string database;

private:
    std::unique_ptr<pelanova::test::TempDir> m_folder;
};
