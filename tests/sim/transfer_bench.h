#pragma once

// The PC's device link against simulated units on in-memory serial lines; see LinkBench for how
// time and the link's threads are kept in step.

#include "sim/memory_line_unit.h"
#include "tests/link/link_bench.h"
#include "tests/sim/sim_test_support.h"

#include <map>
#include <memory>

class SimBench : public LinkBench
{
public:
    // A simulated unit on COM<port>, on the link clock, present from the next enumeration on.
    MemoryLineUnit& AddUnit(int port, const UnitConfig& config)
    {
        auto& unit = m_units[port];
        unit = std::make_unique<MemoryLineUnit>(AddPort(port), config, [this] { return SimTime(Now()); });
        SetPump(port, [pumped = unit.get()] { pumped->Pump(); });
        return *unit;
    }
    MemoryLineUnit& Unit(int port) { return *m_units.at(port); }

    // The unit's parameter memory from address on.
    Bytes UnitMemory(int port, int address, int count)
    {
        Bytes bytes(count);
        Unit(port).With(
            [&](UnitEngine& engine) { return engine.State().ReadMemory(address, count, bytes.data()); });
        return bytes;
    }
    void SetUnitMemory(int port, int address, const Bytes& bytes)
    {
        Unit(port).With([&](UnitEngine& engine) {
            return engine.State().WriteMemory(address, bytes.data(), static_cast<int>(bytes.size()), Now());
        });
    }

    Bytes ReadBack(int address, int count)
    {
        const std::uint8_t* image = Link().ReadBack();
        return Bytes(image + address, image + address + count);
    }
    void SetPcImage(int address, const Bytes& bytes)
    {
        std::copy(bytes.begin(), bytes.end(), Link().PcImage() + address);
    }

private:
    std::map<int, std::unique_ptr<MemoryLineUnit>> m_units;
};

// A pattern that differs from address to address, and from the unit's factory contents.
inline Bytes Pattern(int count, int seed)
{
    Bytes bytes(count);
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed) & 0xFF);
    return bytes;
}
