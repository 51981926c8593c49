// Serialises the saves of one workbook file between programs (two copies of
// the trainer, or two users of a shared folder): an advisory lock (flock) on
// the folder that holds it. The workbook file itself cannot carry the lock,
// since every save replaces it with a new file, and the folder, unlike a
// lock file beside the workbook, leaves nothing behind.
#pragma once

#include <chrono>
#include <string>

namespace workbook {

class SaveLock {
public:
    // Takes the lock for the file at path (UTF-8), waiting up to `patience`
    // while another program holds it. When the folder cannot be opened (it
    // is missing, or cannot be read) the save goes on unlocked: it fails or
    // succeeds just the same.
    SaveLock(const std::string& path, std::chrono::milliseconds patience);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // True when another program held the lock for all of the patience.
    bool TimedOut() const { return timedOut_; }

private:
    int fd_ = -1;
    bool timedOut_ = false;
};

} // namespace workbook
