#pragma once
// The one failure type of the program: a run-time error with a number and a
// description, as the user sees it in ShowError's box.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace lark {

// Numbers the program raises or meets.
enum ErrorNumber : int32_t {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscript = 9,
    kErrTypeMismatch = 13,
    kErrBadFileName = 52,
    kErrFileNotFound = 53,
    kErrDiskFull = 61,
    kErrPermissionDenied = 70,
    kErrPathFileAccess = 75,
    kErrPathNotFound = 76,
    kErrObjectNotSet = 91,
    kErrNoSuchControl = 340,
    kErrAlreadyLoaded = 360,
    kErrCantUnloadElement = 362,
    kErrInvalidPicture = 481,
    kErrIndexOutOfBounds = 35600,
    kErrKeyNotUnique = 35602,
    kErrElementNotFound = 35601,
};

// The standard description for a number; a generic text for unknown ones.
std::string ErrorDescription(int32_t number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int32_t number);
    RuntimeError(int32_t number, std::string description);

    int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

private:
    int32_t number_;
    std::string description_;
};

[[noreturn]] void Raise(int32_t number);

// Inside a catch block: the exception in flight as a RuntimeError
// (out of memory becomes 7, anything else unknown becomes 5).
RuntimeError CurrentError();

// Runs one step of an "errors ignored" stretch: a failing step is skipped.
// Returns whether the step ran without error.
template <class Step>
bool Guard(Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace lark
