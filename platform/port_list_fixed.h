#pragma once

#include "platform/port_list.h"

// A port list given as data: for tests, and for set-ups whose ports are known beforehand.
class FixedPortList : public IPortListProvider
{
public:
    FixedPortList() = default;
    explicit FixedPortList(std::vector<PortListEntry> ports)
        : m_ports(std::move(ports))
    {
    }

    void Set(std::vector<PortListEntry> ports) { m_ports = std::move(ports); }
    // Makes List fail, like a system call that could not be made.
    void SetFails(bool fails) { m_fails = fails; }
    int Calls() const { return m_calls; }

    bool List(std::vector<PortListEntry>& ports) override
    {
        ++m_calls;
        if (m_fails)
            return false;
        ports = m_ports;
        return true;
    }

private:
    std::vector<PortListEntry> m_ports;
    bool m_fails = false;
    int m_calls = 0;
};
