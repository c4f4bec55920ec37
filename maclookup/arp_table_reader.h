// SPDX-License-Identifier: MIT
#pragma once
// Reads the IPv4-to-MAC rows of one network interface from the host's
// neighbour (ARP) table into a caller-owned array.
#include <cstdint>
#include <functional>
#include <string>

#include "maclookup/neighbour_table_source.h"

namespace lq3860 {

constexpr int ARP_MAX_ENTRIES = 256;

struct ArpEntry {
    std::uint32_t type;          // 1 other, 2 invalid, 3 dynamic, 4 static
    std::uint8_t ipAddress[4];   // byte 0 is the first number of the dotted address
    std::uint8_t macAddress[6];  // first byte first
};

// Receives the reader's user-facing messages ("Load library fail").
using ReaderMessage = std::function<void(const std::string& text)>;

class CArpTableReader {
public:
    // Opens the source; when that fails, says "Load library fail" through
    // onMessage and every ReadEntries returns 0.
    CArpTableReader(NeighbourTableSource& source, const ReaderMessage& onMessage);
    virtual ~CArpTableReader() = default;
    CArpTableReader(const CArpTableReader&) = delete;
    CArpTableReader& operator=(const CArpTableReader&) = delete;

    // Writes the rows of interfaceIndex, ordered by IPv4 address number by
    // number, into rows[0..maxRows) (zeroed first) and returns how many.
    // Rows of a type other than 1 to 4 take no slot.
    int ReadEntries(ArpEntry* rows, int maxRows, int interfaceIndex);

    // False when the table could not be read: it did not open, or the last
    // ReadEntries could not list it. A count of 0 then searched no rows.
    bool TableRead() const { return tableRead_; }

private:
    NeighbourTableSource& source_;
    bool agentReady_ = false;
    bool tableRead_ = false;
};

}  // namespace lq3860
