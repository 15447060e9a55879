#pragma once

#include "records/RecordList.h"

#include <cstdint>
#include <string>

namespace aql::config {

// One managed system: its controller's name, bus address and network endpoint, and the log
// records downloaded from it. Every field is set only by init; a new pool reads as empty texts,
// zeros and an empty record list.
class Pool {
public:
    // The site's name in site mode, the project code in project mode.
    const std::string &resort() const { return m_resort; }
    const std::string &name() const { return m_name; }
    std::int32_t address() const { return m_address; }
    // Position in the configuration it was read from, counted from 1.
    std::int32_t number() const { return m_number; }
    const std::string &ipAddress() const { return m_ipAddress; }
    const std::string &port() const { return m_port; }

    // The list itself: callers insert downloaded and read-back records into it.
    records::RecordList &records() { return m_records; }
    const records::RecordList &records() const { return m_records; }

    // Sets every field and starts a new, empty record list (records held before are dropped).
    void init(std::string resort, std::string name, std::int32_t address, std::string ipAddress,
              std::string port, std::int32_t number);

private:
    std::string m_resort;
    std::string m_name;
    std::int32_t m_address = 0;
    std::int32_t m_number = 0;
    std::string m_ipAddress;
    std::string m_port;
    records::RecordList m_records;
};

} // namespace aql::config
