// The batch-mode argument: "-file=" anywhere in the command line, then a path.
#pragma once

#include <cstddef>
#include <cstdint>

// A path of at most 255 characters and its terminating NUL.
constexpr size_t kBatchPathSize = 256;

enum class FileArgument {
    Absent,   // no "-file=": windowed mode
    Path,     // path filled (empty when only white space follows)
    TooLong,  // the path would not fit the buffer; path left empty
};

// Finds the first "-file=" (case-sensitive, also inside another word), skips
// white space after it and copies the run up to the next white space.
// Quotation marks are ordinary characters.
FileArgument findFileArgument(const char* commandLine, char (&path)[kBatchPathSize]);
