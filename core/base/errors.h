#pragma once
// Run-time errors of the core. Every failure carries one of the classic
// run-time error numbers (53 file not found, 70 permission denied, ...),
// which the error report and a few callers test.
#include <stdexcept>
#include <string>

namespace mk {

enum ErrorNumber : int {
    ErrIllegalCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrTypeMismatch = 13,
    ErrBadFileNameOrNumber = 52,
    ErrFileNotFound = 53,
    ErrBadFileMode = 54,
    ErrFileAlreadyOpen = 55,
    ErrDeviceIO = 57,
    ErrFileExists = 58,
    ErrBadRecordLength = 59,
    ErrDiskFull = 61,
    ErrInputPastEnd = 62,
    ErrBadRecordNumber = 63,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrCannotCreateObject = 429,
};

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description);
    // An error with the platform's description of its number.
    explicit RuntimeError(int number);
    int number() const { return number_; }
    const std::string& description() const { return description_; }

private:
    int number_;
    std::string description_;
};

// The platform's description of a run-time error number.
std::string describeError(int number);

// The classic error number for an errno value (ENOENT -> 53, EACCES -> 70, ...).
int errorNumberFromErrno(int err);

// A RuntimeError for errno `err`; `what` names the failing file call.
RuntimeError errorFromErrno(int err, const std::string& what = {});

// A 16-bit record number, or error 6 (overflow) when n does not fit.
short toInt16(long n);

}  // namespace mk
