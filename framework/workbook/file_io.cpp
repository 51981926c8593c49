#include "framework/workbook/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workbook {

namespace {

std::string ErrnoText(int error)
{
    return std::generic_category().message(error);
}

FileStamp StampFromStat(const struct stat& st)
{
    FileStamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    return s;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; returns the errno of a failed close, else 0.
    int Close()
    {
        int error = 0;
        if (fd_ >= 0 && ::close(fd_) != 0)
            error = errno;
        fd_ = -1;
        return error;
    }

private:
    int fd_;
};

std::string FolderOf(const std::string& path)
{
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path)
{
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A link at the path is replaced by what it points to, so that saving
// updates the linked file instead of replacing the link.
std::string FollowLink(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

// At most `bytes` bytes of the UTF-8 text, not cutting a character.
std::string Shortened(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool WriteAll(int fd, const std::string& bytes, int* error)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::atomic<unsigned> gTempCounter{0};

// Temporary files are named ".<base>.<pid>-<n>.tmp", so that the files of
// a process that has gone can be told and removed.
std::string TempNameStart(const std::string& base)
{
    return "." + Shortened(base, 150) + ".";
}

// The writing process of a temporary file name after its start, or 0 when
// the rest of the name is not "<pid>-<n>.tmp".
pid_t TempWriter(const std::string& rest)
{
    const std::string suffix = ".tmp";
    if (rest.size() <= suffix.size() ||
        rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle = rest.substr(0, rest.size() - suffix.size());
    const std::string::size_type dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9 || dash + 1 == middle.size())
        return 0;
    for (std::string::size_type i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9'))
            return 0;
    }
    return static_cast<pid_t>(std::stol(middle.substr(0, dash)));
}

// Creates a new, empty temporary file beside the target.
int CreateTemp(const std::string& folder, const std::string& base, std::string* tempPath)
{
    const std::string stem = folder + "/" + TempNameStart(base) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = stem + std::to_string(gTempCounter++) + ".tmp";
        int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

WriteResult Failed(const std::string& what, SaveStep step, int error)
{
    WriteResult r;
    r.error = what + ": " + ErrnoText(error);
    r.step = step;
    r.errorCode = error;
    return r;
}

} // namespace

bool operator==(const FileStamp& a, const FileStamp& b)
{
    if (a.exists != b.exists)
        return false;
    if (!a.exists)
        return true;
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

FileStamp StampOf(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return FileStamp();
    return StampFromStat(st);
}

ReadResult ReadWholeFile(const std::string& path, std::size_t limit)
{
    ReadResult r;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            r.status = ReadStatus::Missing;
        } else {
            r.status = ReadStatus::Unreadable;
            r.error = ErrnoText(error);
            r.errorCode = error;
            r.stamp = StampOf(path);
        }
        return r;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        r.status = ReadStatus::Unreadable;
        r.errorCode = errno;
        r.error = ErrnoText(r.errorCode);
        return r;
    }
    r.stamp = StampFromStat(st);
    r.status = ReadStatus::Unreadable;
    if (!S_ISREG(st.st_mode)) {
        r.error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        r.errorCode = S_ISDIR(st.st_mode) ? EISDIR : kNotAFile;
        return r;
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        r.error = "the file is too large";
        r.errorCode = EFBIG;
        return r;
    }
    // One byte more than the file holds, so that its end shows at once.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            // The file may have grown since fstat.
            if (bytes.size() >= limit + 1)
                break;
            bytes.resize(std::min(limit + 1, bytes.size() + 65536));
        }
        ssize_t n = ::read(fd.get(), &bytes[got], bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            r.errorCode = errno;
            r.error = ErrnoText(r.errorCode);
            return r;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > limit) {
        r.error = "the file is too large";
        r.errorCode = EFBIG;
        return r;
    }
    bytes.resize(got);
    r.bytes.swap(bytes);
    r.status = ReadStatus::Ok;
    return r;
}

WriteResult ReplaceFile(const std::string& path, const std::string& bytes,
                        const BeforeReplace& beforeReplace)
{
    const std::string target = SaveTarget(path);
    const std::string folder = FolderOf(target);

    std::string temp;
    Fd fd(CreateTemp(folder, BaseOf(target), &temp));
    if (fd.get() < 0)
        return Failed("cannot create a file in \"" + folder + "\"", SaveStep::Create, errno);

    // Abandons the temporary file on every way out but the rename.
    bool renamed = false;
    struct TempGuard {
        const std::string& temp;
        const bool& renamed;
        ~TempGuard()
        {
            if (!renamed)
                ::unlink(temp.c_str());
        }
    } guard{temp, renamed};

    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd.get(), old.st_mode & 07777);

    int error = 0;
    if (!WriteAll(fd.get(), bytes, &error))
        return Failed("cannot write", SaveStep::Write, error);
    if (::fsync(fd.get()) != 0)
        return Failed("cannot flush to disk", SaveStep::Write, errno);
    struct stat written;
    if (::fstat(fd.get(), &written) != 0)
        return Failed("cannot write", SaveStep::Write, errno);
    if ((error = fd.Close()) != 0)
        return Failed("cannot write", SaveStep::Write, error);

    if (beforeReplace && !beforeReplace(temp)) {
        WriteResult r;
        r.error = "the save was interrupted before the file was replaced";
        r.step = SaveStep::Replace;
        r.errorCode = kInterrupted;
        return r;
    }

    if (::rename(temp.c_str(), target.c_str()) != 0)
        return Failed("cannot replace the file", SaveStep::Replace, errno);
    renamed = true;

    WriteResult r;
    r.stamp = StampFromStat(written);
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL && errno != EROFS) {
        // The file is complete under its name; only its durability is in doubt.
        r.errorCode = errno;
        r.step = SaveStep::Replace;
        r.error = "cannot flush the folder to disk: " + ErrnoText(r.errorCode);
        return r;
    }
    r.ok = true;
    return r;
}

std::string SaveTarget(const std::string& path)
{
    return FollowLink(path);
}

int RemoveStaleTemporaryFiles(const std::string& path)
{
    const std::string target = SaveTarget(path);
    const std::string folder = FolderOf(target);
    const std::string start = TempNameStart(BaseOf(target));
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, start.size(), start) != 0)
            continue;
        const pid_t writer = TempWriter(name.substr(start.size()));
        if (writer <= 0 || writer == ::getpid())
            continue;
        if (::kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        if (::unlink((folder + "/" + name).c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace workbook
