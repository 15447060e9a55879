#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aql::config {

// The flat list of configured systems that the configuration window edits and the site file is
// written from: names, IP addresses and ports, kept at equal length. Positions count from 1; a
// position outside 1..count() is AqlError 9 (subscript out of range).
class SystemList {
public:
    // Appends one system at the end.
    void append(std::string name, std::string ipAddress, std::string port);

    const std::string &name(std::int32_t position) const;
    const std::string &ipAddress(std::int32_t position) const;
    const std::string &port(std::int32_t position) const;
    std::int32_t count() const;

    // Drops the system at `position`; later entries move up by one.
    void remove(std::int32_t position);

private:
    std::size_t index(std::int32_t position, const char *operation) const;

    std::vector<std::string> m_names;
    std::vector<std::string> m_ipAddresses;
    std::vector<std::string> m_ports;
};

} // namespace aql::config
