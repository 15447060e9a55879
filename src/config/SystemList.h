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
    void save(std::string Value, std::string ipaddress, std::string port);

    const std::string &name(std::int32_t position) const;
    const std::string &ipaddress(std::int32_t position) const;
    const std::string &port(std::int32_t position) const;
    std::int32_t count() const;

    // The entry removal the configuration window calls "delete" (a reserved word here): drops the
    // system at `position` from all three lists; later entries move up by one.
    void remove(std::int32_t position);

private:
    std::size_t index(std::int32_t position, const char *operation) const;

    std::vector<std::string> m_names;
    std::vector<std::string> m_ipaddresses;
    std::vector<std::string> m_ports;
};

} // namespace aql::config
