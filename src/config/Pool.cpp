#include "config/Pool.h"

#include <utility>

namespace aql::config {

void Pool::init(std::string resort, std::string name, std::int32_t address, std::string ipAddress,
                std::string port, std::int32_t number) {
    m_resort = std::move(resort);
    m_name = std::move(name);
    m_address = address;
    m_ipAddress = std::move(ipAddress);
    m_port = std::move(port);
    m_number = number;
    // A fresh list rather than clear(): whatever the old one had grown to is released at once.
    m_records = records::RecordList();
}

} // namespace aql::config
