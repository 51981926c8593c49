// The workbook's file system side: reading a file whole and replacing a file
// atomically, so that an interrupted save leaves the previous file intact.
// Paths are UTF-8, as the file system names them.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>

#include <sys/types.h>

#include "framework/workbook/save_failure.h"

namespace workbook {

// Identity and version of a file, to tell whether someone else has replaced
// or changed it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};
bool operator==(const FileStamp& a, const FileStamp& b);
inline bool operator!=(const FileStamp& a, const FileStamp& b)
{
    return !(a == b);
}

// The stamp of the file at path; exists is false when there is no file.
FileStamp StampOf(const std::string& path);

enum class ReadStatus {
    Ok,         // bytes hold the whole file
    Missing,    // nothing at the path (or a folder on the way is missing)
    Unreadable, // something is there but cannot be read as a file
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error; // why, when Unreadable
    int errorCode = 0; // the same as an errno or a SaveFailure cause
    FileStamp stamp;
};

// Reads the regular file at path whole; a file larger than limit bytes is
// Unreadable. Never blocks on a pipe or a device.
ReadResult ReadWholeFile(const std::string& path, std::size_t limit);

// Called when the new contents are complete and flushed in the temporary
// file, just before it replaces the target. Returning false abandons the
// save there, as if the program had stopped; the target is left untouched.
using BeforeReplace = std::function<bool(const std::string& tempPath)>;

struct WriteResult {
    bool ok = false;
    std::string error; // why, when not ok
    // The same for the teacher: what was being done and the errno (or a
    // SaveFailure cause).
    SaveStep step = SaveStep::Write;
    int errorCode = 0;
    FileStamp stamp; // of the written file, when ok
};

// Writes bytes to a new file in the target's folder, flushes it to disk,
// renames it over the target and flushes the folder. A symbolic link at
// the target is followed. The file gets the mode of the file it replaces,
// or the usual mode of a new file.
WriteResult ReplaceFile(const std::string& path, const std::string& bytes,
                        const BeforeReplace& beforeReplace = nullptr);

// The file a save to path replaces: path itself, or what a link there
// points to.
std::string SaveTarget(const std::string& path);

// Removes the temporary files that saves to path left behind when their
// process was killed: those whose writing process no longer runs. Returns
// how many went.
int RemoveStaleTemporaryFiles(const std::string& path);

} // namespace workbook
