#include "core/replacefile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelanova {
namespace fs = std::filesystem;

std::string systemErrorText(int err)
{
    switch (err) {
    case ENOENT: return "フォルダまたはファイルがありません";
    case ENOTDIR: return "途中の名前がフォルダではありません";
    case EISDIR: return "同じ名前のフォルダがあります";
    case EACCES:
    case EPERM: return "書き込む権限がありません";
    case EROFS: return "読み取り専用の場所です";
    case ENOSPC: return "ディスクの空きがありません";
    case EDQUOT: return "ディスクの使用量の上限に達しています";
    case ENAMETOOLONG: return "名前が長すぎます";
    case EEXIST: return "同じ名前のファイルがあります";
    case EBUSY: return "ほかのプログラムが使用中です";
    case EIO: return "ディスクの読み書きに失敗しました";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case EXDEV: return "別のディスクへは移せません";
    default: return "エラー番号 " + std::to_string(err) + "（" + std::strerror(err) + "）";
    }
}

namespace {

mode_t usualMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplacementFile::ReplacementFile(const std::string &path, mode_t newFileMode) : m_path(path), m_target(path)
{
    std::error_code ec;
    if (fs::is_symlink(m_target, ec)) {
        const fs::path resolved = fs::weakly_canonical(m_target, ec);
        if (!ec)
            m_target = resolved.string();
    }
    const fs::path target(m_target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    m_temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkstemp(m_temporary.data());
    if (m_fd < 0) {
        const int err = errno;
        m_temporary.clear();
        fail("ファイルを作成できません", err);
    }
    struct stat st{};
    const mode_t mode = ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777)
                        : newFileMode != 0                 ? newFileMode
                                                           : usualMode();
    if (::fchmod(m_fd, mode) != 0)
        fail("ファイルの属性を設定できません", errno);
}

ReplacementFile::~ReplacementFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        ::unlink((m_temporary + "-journal").c_str());
    }
}

void ReplacementFile::fail(const char *what, int err) const
{
    throw FileWriteError(m_path + ": " + what + "（" + systemErrorText(err) + "）");
}

void ReplacementFile::write(std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("ファイルに書き込めません", errno);
        }
        done += static_cast<size_t>(n);
    }
}

void ReplacementFile::commit()
{
    // What a program part wrote by name is on disk under the same inode.
    if (::fsync(m_fd) != 0)
        fail("ファイルに書き込めません", errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail("ファイルに書き込めません", errno);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        fail("ファイルを作成できません", errno);
    m_committed = true;
}

void replaceFile(const std::string &path, std::string_view bytes, mode_t newFileMode)
{
    ReplacementFile file(path, newFileMode);
    file.write(bytes);
    file.commit();
}

bool isReplacementLeftover(std::string_view name)
{
    constexpr std::string_view journal = "-journal";
    if (name.size() > journal.size() && name.substr(name.size() - journal.size()) == journal)
        name.remove_suffix(journal.size());
    // "." NAME "." and six characters of mkstemp's.
    if (name.size() < 9 || name.front() != '.' || name[name.size() - 7] != '.')
        return false;
    for (char c : name.substr(name.size() - 6)) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum)
            return false;
    }
    return true;
}

void removeReplacementLeftovers(const std::string &folder, long minimumAgeSeconds)
{
    std::error_code ec;
    const std::time_t now = std::time(nullptr);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isReplacementLeftover(name))
            continue;
        struct stat st{};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (now - st.st_mtime < minimumAgeSeconds)
            continue;
        std::error_code removed;
        fs::remove(it->path(), removed);
    }
}

} // namespace pelanova
