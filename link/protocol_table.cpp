#include "link/protocol_table.h"

ProtocolTable::ProtocolTable(const ProtocolRow& fill)
    : m_rows(PROTOCOL_TABLE)
{
    for (ProtocolRow& row : m_rows) {
        if (row.protocol == kFreeProtocolRow)
            row = fill;
    }
}

bool ProtocolTable::Exists(int row) const
{
    if (row < 0 || row >= kProtocolTableSize)
        return false;
    for (int i = 0; i <= row; ++i) {
        if (m_rows[i].protocol == 0)
            return false;
    }
    return true;
}

const ProtocolRow& ProtocolTable::Row(int row) const
{
    static const ProtocolRow kEnd {};
    return Exists(row) ? m_rows[row] : kEnd;
}

int ProtocolTable::FirstRow() const
{
    for (int row = 0; Exists(row); ++row) {
        if (m_rows[row].protocol != kFreeProtocolRow)
            return row;
    }
    return 0;
}

int ProtocolTable::Count() const
{
    int count = 0;
    while (Exists(count))
        ++count;
    return count;
}
