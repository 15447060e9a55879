#pragma once

#include <stdexcept>
#include <string>

namespace aql {

// Error numbers the operators' documentation and the controllers' support staff know.
namespace errc {
constexpr int kInvalidArgument = 5;
constexpr int kOverflow = 6;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kDivisionByZero = 11;
constexpr int kTypeMismatch = 13;
constexpr int kFileNotFound = 53;
constexpr int kPathFileAccess = 75;
constexpr int kObjectNotSet = 91;
constexpr int kKeyAlreadyPresent = 457;
constexpr int kApplication = 20000;
} // namespace errc

// A run-time error as the program reports it: number, source and description.
class AqlError : public std::runtime_error {
public:
    AqlError(int number, std::string source, std::string description);

    int number() const { return m_number; }
    const std::string &source() const { return m_source; }
    const std::string &description() const { return m_description; }

    // The same error raised again under another source (and optionally another description).
    AqlError withSource(std::string source) const;
    AqlError withSource(std::string source, std::string description) const;

private:
    int m_number;
    std::string m_source;
    std::string m_description;
};

// The platform's standard description of a numbered error ("Overflow", "Type mismatch", ...).
std::string standardDescription(int number);

// An error with the platform's standard description.
AqlError standardError(int number, std::string source = {});

} // namespace aql
