#pragma once
// A hand-made neighbour table for the reader and lookup tests.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "maclookup/neighbour_table_source.h"

inline NeighbourRow MakeRow(int interfaceIndex, std::initializer_list<std::uint8_t> ipv4,
                            std::initializer_list<std::uint8_t> mac, std::uint16_t state) {
    NeighbourRow row;
    row.interfaceIndex = interfaceIndex;
    std::size_t i = 0;
    for (std::uint8_t b : ipv4) row.ipv4[i++] = b;
    i = 0;
    for (std::uint8_t b : mac) row.mac[i++] = b;
    row.macLength = mac.size();
    row.state = state;
    return row;
}

class FakeNeighbourTable final : public NeighbourTableSource {
public:
    std::vector<NeighbourRow> rows;
    bool opens = true;
    bool lists = true;
    int openCalls = 0;
    int listCalls = 0;

    bool Open() override {
        ++openCalls;
        return opens;
    }
    bool ListRows(std::vector<NeighbourRow>& out) override {
        ++listCalls;
        out = rows;
        return lists;
    }
};
