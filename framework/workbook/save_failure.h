// Why results could not be kept, for the teacher: what a save was doing when
// it failed and the system's error number, turned into plain Russian words.
#pragma once

#include <string>

namespace workbook {

// What the save was doing.
enum class SaveStep {
    MakeFolder, // making the folder the file goes in
    Wait,       // waiting for another program's save of the same file
    Read,       // reading the file that is there
    Create,     // creating the new file beside the old one
    Write,      // writing it and flushing it to disk
    Replace,    // putting it in place of the old one
};

// Causes that are not errors of the system (errno values are positive).
enum : int {
    kNotAWorkbook = -1, // the file holds something that is not a results workbook
    kNotAFile = -2,     // a pipe or a device stands at the path
    kNoFreeName = -3,   // no free name beside a file that is not a workbook
    kNoFolder = -4,     // there is no folder for the program's data at all
    kInterrupted = -5,  // the save was abandoned before the file was replaced
    kExists = -6,       // a file of another program is there (not an error of a save)
    kInternal = -7,     // the XML library could not write the document
};

struct SaveFailure {
    SaveStep step = SaveStep::Write;
    // errno, or one of the causes above; 0 when nothing failed.
    int error = 0;
    // The file or folder concerned, as the file system names it.
    std::string where;
};

// The reason in a few plain words, without a full stop: "на диске нет места".
std::wstring SaveFailureWords(const SaveFailure& failure);

} // namespace workbook
