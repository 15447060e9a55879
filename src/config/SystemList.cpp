#include "config/SystemList.h"

#include "core/Error.h"

#include <string>
#include <utility>

namespace aql::config {

void SystemList::append(std::string name, std::string ipAddress, std::string port) {
    // Reserve first so that a failed allocation cannot leave the three lists at unequal length.
    m_names.reserve(m_names.size() + 1);
    m_ipAddresses.reserve(m_ipAddresses.size() + 1);
    m_ports.reserve(m_ports.size() + 1);
    m_names.push_back(std::move(name));
    m_ipAddresses.push_back(std::move(ipAddress));
    m_ports.push_back(std::move(port));
}

std::size_t SystemList::index(std::int32_t position, const char *operation) const {
    if (position < 1 || static_cast<std::size_t>(position) > m_names.size()) {
        throw standardError(errc::kSubscriptOutOfRange, std::string("SystemList.") + operation);
    }
    return static_cast<std::size_t>(position) - 1;
}

const std::string &SystemList::name(std::int32_t position) const {
    return m_names[index(position, "name")];
}

const std::string &SystemList::ipAddress(std::int32_t position) const {
    return m_ipAddresses[index(position, "ipAddress")];
}

const std::string &SystemList::port(std::int32_t position) const {
    return m_ports[index(position, "port")];
}

std::int32_t SystemList::count() const {
    return static_cast<std::int32_t>(m_names.size());
}

void SystemList::remove(std::int32_t position) {
    const auto at = static_cast<std::ptrdiff_t>(index(position, "remove"));
    m_names.erase(m_names.begin() + at);
    m_ipAddresses.erase(m_ipAddresses.begin() + at);
    m_ports.erase(m_ports.begin() + at);
}

} // namespace aql::config
