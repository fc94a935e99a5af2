#include "base/RuntimeError.h"

#include <new>

#include "base/Texts.h"

namespace lark {

std::string ErrorDescription(int32_t number) {
    switch (number) {
        case kErrInvalidCall: return Text(IDS_RTE_INVALID_CALL);
        case kErrOverflow: return Text(IDS_RTE_OVERFLOW);
        case kErrOutOfMemory: return Text(IDS_RTE_OUT_OF_MEMORY);
        case kErrSubscript: return Text(IDS_RTE_SUBSCRIPT);
        case kErrTypeMismatch: return Text(IDS_RTE_TYPE_MISMATCH);
        case kErrBadFileName: return Text(IDS_RTE_BAD_FILE_NAME);
        case kErrFileNotFound: return Text(IDS_RTE_FILE_NOT_FOUND);
        case kErrDiskFull: return Text(IDS_RTE_DISK_FULL);
        case kErrPermissionDenied: return Text(IDS_RTE_PERMISSION_DENIED);
        case kErrPathFileAccess: return Text(IDS_RTE_PATH_FILE_ACCESS);
        case kErrPathNotFound: return Text(IDS_RTE_PATH_NOT_FOUND);
        case kErrObjectNotSet: return Text(IDS_RTE_OBJECT_NOT_SET);
        case kErrNoSuchControl: return Text(IDS_RTE_NO_SUCH_CONTROL);
        case kErrAlreadyLoaded: return Text(IDS_RTE_ALREADY_LOADED);
        case kErrCantUnloadElement: return Text(IDS_RTE_CANT_UNLOAD);
        case kErrInvalidPicture: return Text(IDS_RTE_INVALID_PICTURE);
        case kErrIndexOutOfBounds: return Text(IDS_RTE_INDEX_OUT_OF_BOUNDS);
        case kErrKeyNotUnique: return Text(IDS_RTE_KEY_NOT_UNIQUE);
        case kErrElementNotFound: return Text(IDS_RTE_ELEMENT_NOT_FOUND);
        default: return Text(IDS_RTE_OTHER);
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
