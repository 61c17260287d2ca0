#include "data/errors.h"

namespace hk::data {

std::string_view codeText(ErrorCode c) {
    switch (c) {
    case ErrorCode::FileNotFound:
        return "File Not Found";
    case ErrorCode::AccessDenied:
        return "Access Denied";
    case ErrorCode::FileLocked:
        return "File Is Locked";
    case ErrorCode::NoRecord:
        return "Record Not Available";
    case ErrorCode::NotFound:
        return "Record Not Found";
    case ErrorCode::NotOpen:
        return "File Not Open";
    case ErrorCode::DuplicateKey:
        return "Creates Duplicate Key";
    case ErrorCode::BadKey:
        return "Invalid Key File";
    case ErrorCode::LayoutMismatch:
        return "Invalid Record Declaration";
    case ErrorCode::RelatedRecords:
        return "Related Records Exist";
    case ErrorCode::BadValue:
        return "Invalid Field Value";
    case ErrorCode::NotADatabase:
        return "Not A Data File";
    case ErrorCode::EngineError:
        return "File System Error";
    }
    return "Error";
}

core::Error engineError(ErrorCode c, std::string file, std::string detail, int message) {
    std::string text(codeText(c));
    if (!detail.empty()) text += ": " + detail;
    core::Error e = core::Error::of(static_cast<int>(c), std::move(text), std::move(file), message);
    e.kind = core::ErrorKind::Storage;
    return e;
}

std::string errorDetail(const core::Error& e) {
    const auto p = e.text.find(": ");
    return p == std::string::npos ? std::string() : e.text.substr(p + 2);
}

} // namespace hk::data
