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
    ErrTooManyFiles = 67,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrRenameAcrossDisks = 74,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrCannotCreateObject = 429,  // a component (the cipher library) could not be created
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

// The Japanese description of a run-time error number, as the error report
// shows it; never empty, never the C library's (English) message.
std::string describeError(int number);

// The classic error number for an errno value (ENOENT -> 53, EACCES -> 70, ...).
int errorNumberFromErrno(int err);

// A RuntimeError for errno `err`. `what` is the failing file call and its
// path ("open /x/y.dat"); the description is the number's own text followed
// by the path in parentheses.
RuntimeError errorFromErrno(int err, const std::string& what = {});

// The exception being handled, as a RuntimeError (call inside a catch
// block). Exceptions of the standard library get the classic number that
// fits them (std::bad_alloc 7, std::out_of_range 9, ...) with its own text,
// so that their English what() never reaches the user.
RuntimeError currentError();

// A 16-bit record number, or error 6 (overflow) when n does not fit.
short toInt16(long n);

}  // namespace mk
