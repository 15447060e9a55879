#include "core/Error.h"

#include <utility>

namespace aql {

AqlError::AqlError(int number, std::string source, std::string description)
    : std::runtime_error(description), m_number(number), m_source(std::move(source)),
      m_description(std::move(description)) {}

AqlError AqlError::withSource(std::string source) const {
    return AqlError(m_number, std::move(source), m_description);
}

AqlError AqlError::withSource(std::string source, std::string description) const {
    return AqlError(m_number, std::move(source), std::move(description));
}

std::string standardDescription(int number) {
    switch (number) {
    case errc::kInvalidArgument: return "Invalid procedure call or argument";
    case errc::kOverflow: return "Overflow";
    case errc::kSubscriptOutOfRange: return "Subscript out of range";
    case errc::kDivisionByZero: return "Division by zero";
    case errc::kTypeMismatch: return "Type mismatch";
    case errc::kFileNotFound: return "File not found";
    case errc::kPathFileAccess: return "Path/File access error";
    case errc::kObjectNotSet: return "Object variable or With block variable not set";
    case errc::kKeyAlreadyPresent:
        return "This key is already associated with an element of this collection";
    default: return "Application-defined or object-defined error";
    }
}

AqlError standardError(int number, std::string source) {
    return AqlError(number, std::move(source), standardDescription(number));
}

} // namespace aql
