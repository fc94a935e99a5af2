#include "base/RuntimeError.h"

#include <new>

namespace lark {

std::string ErrorDescription(int32_t number) {
    switch (number) {
        case kErrInvalidCall: return "Invalid procedure call or argument";
        case kErrOverflow: return "Overflow";
        case kErrOutOfMemory: return "Out of memory";
        case kErrSubscript: return "Subscript out of range";
        case kErrTypeMismatch: return "Type mismatch";
        case kErrBadFileName: return "Bad file name or number";
        case kErrFileNotFound: return "File not found";
        case kErrDiskFull: return "Disk full";
        case kErrPermissionDenied: return "Permission denied";
        case kErrPathFileAccess: return "Path/File access error";
        case kErrPathNotFound: return "Path not found";
        case kErrObjectNotSet: return "Object variable or With block variable not set";
        case kErrNoSuchControl: return "Control array element does not exist";
        case kErrAlreadyLoaded: return "Object already loaded";
        case kErrCantUnloadElement: return "Can't unload controls created at design time";
        case kErrInvalidPicture: return "Invalid picture";
        case kErrIndexOutOfBounds: return "Index out of bounds";
        case kErrKeyNotUnique: return "Key is not unique in collection";
        case kErrElementNotFound: return "Element not found";
        default: return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int32_t number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(int32_t number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

void Raise(int32_t number) { throw RuntimeError(number); }

RuntimeError CurrentError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError(kErrOutOfMemory);
    } catch (const std::out_of_range&) {
        return RuntimeError(kErrSubscript);
    } catch (const std::exception& e) {
        return RuntimeError(kErrInvalidCall, e.what());
    } catch (...) {
        return RuntimeError(kErrInvalidCall);
    }
}

}  // namespace lark
