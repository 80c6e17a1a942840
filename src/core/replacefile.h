#pragma once

// Replacing a file whole: what is written goes into a temporary file beside
// the target (".NAME.XXXXXX"), which is flushed to disk and renamed over the
// target, so that a reader sees the old file or the new one, never a part.
// The new file keeps the mode of the file it replaces; a file that is new
// gets the mode given, else the usual 0666 less the umask. On every way out
// short of the rename the temporary file goes away.

#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pelanova {

// A file that could not be written; the message names the path and says why
// in Japanese.
class FileWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The reason of a failed system call in Japanese ("フォルダがありません").
std::string systemErrorText(int err);

class ReplacementFile
{
public:
    // Makes the temporary file. A symbolic link at path stays a link: its
    // target is replaced. Throws FileWriteError.
    explicit ReplacementFile(const std::string &path, mode_t newFileMode = 0);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Where the content goes: written with write(), or by a program part
    // that writes a file by name (a database copy, a PDF).
    const std::string &temporaryPath() const { return m_temporary; }
    const std::string &target() const { return m_target; }
    void write(std::string_view bytes);
    // Flushes the temporary file to disk and renames it over the target.
    void commit();

private:
    [[noreturn]] void fail(const char *what, int err) const;

    std::string m_path;      // as given, for messages
    std::string m_target;    // the file renamed over
    std::string m_temporary;
    int m_fd = -1;
    bool m_committed = false;
};

// Replaces path by bytes. Throws FileWriteError.
void replaceFile(const std::string &path, std::string_view bytes, mode_t newFileMode = 0);

// Whether a name in a folder is one of ReplacementFile's temporary files
// (".NAME.XXXXXX"), or the rollback journal SQLite left beside one.
bool isReplacementLeftover(std::string_view fileName);

// Removes the temporary files that a run killed part way left in a folder,
// those not touched for `minimumAgeSeconds` (a run still writing keeps its
// own). Files that cannot be removed are left.
void removeReplacementLeftovers(const std::string &folder, long minimumAgeSeconds);

} // namespace pelanova
