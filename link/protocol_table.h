#pragma once

#include <array>

// One way of asking a port for a unit: the protocol, the line speed, and how long to wait (ms of
// TMR) both for the identification reply and between two bytes of it.
struct ProtocolRow {
    int protocol = 0;
    int baudRate = 0;
    int timeoutMs = 0;
};

// Protocol code of a free row, filled at start-up with the product's default entry.
constexpr int kFreeProtocolRow = -1;

// The rows as stored, tried in this order on every port; the row with protocol 0 ends the table.
// The free rows put the product's own protocol between the others, so it is tried again and again.
constexpr int kProtocolTableSize = 15;
inline constexpr std::array<ProtocolRow, kProtocolTableSize> PROTOCOL_TABLE = { {
    { kFreeProtocolRow, 0, 0 },
    { 1, 57600, 75 },
    { 2, 57600, 125 },
    { kFreeProtocolRow, 0, 0 },
    { 3050, 57600, 125 },
    { kFreeProtocolRow, 0, 0 },
    { 3100, 57600, 175 },
    { kFreeProtocolRow, 0, 0 },
    { 3150, 57600, 175 },
    { kFreeProtocolRow, 0, 0 },
    { 1, 115200, 75 },
    { 2, 115200, 325 },
    { kFreeProtocolRow, 0, 0 },
    { 3300, 115200, 175 },
    { 0, 0, 0 },
} };

// The product's default entry: IGN50 at 57600 baud, 125 ms.
inline constexpr ProtocolRow kDefaultProtocolRow = { 3050, 57600, 125 };

// The table the search works with: the stored rows with the free ones filled in.
class ProtocolTable
{
public:
    explicit ProtocolTable(const ProtocolRow& fill = kDefaultProtocolRow);

    // False for rows past the end marker (and for negative rows).
    bool Exists(int row) const;
    // The row; only meaningful where Exists.
    const ProtocolRow& Row(int row) const;
    // The first row a port starts with: the first one that is not free.
    int FirstRow() const;
    // The number of rows before the end marker.
    int Count() const;

private:
    std::array<ProtocolRow, kProtocolTableSize> m_rows;
};
