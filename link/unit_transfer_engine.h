#pragma once

#include "link/ccomcom.h"
#include "link/transfer_engine_interface.h"

// The device link as the unit-operation driver sees it: forwards to the window's CCOMCOM.
class CUnitTransferEngine : public ITransferEngine
{
public:
    explicit CUnitTransferEngine(CCOMCOM& link)
        : m_link(link)
    {
    }

    void StartJob(int job, int start, int count, int flags) override { m_link.StartJob(job, start, count, flags); }
    int Job() const override { return m_link.Job(); }
    int LastJob() const override { return m_link.LastJob(); }
    void TakeResult() override { m_link.TakeResult(); }
    int CurrentAddress() const override { return m_link.CurrentAddress(); }
    void SetCommand(int word, int address, int length) override { m_link.SetCommand(word, address, length); }

    int ConnectedPort() const override { return m_link.ConnectedPort(); }
    bool Enabled() const override { return m_link.Enabled(); }
    void SetEnabled(bool enabled) override { m_link.SetEnabled(enabled); }
    void Disconnect() override { m_link.Disconnect(); }
    void LinkStep() override { m_link.LinkStep(); }

    int PortSelection() const override { return m_link.PortSelection(); }
    int SearchSlotPort(int slot) const override { return m_link.Slot(slot).port; }

    std::span<uint8_t> PcImage() override { return { m_link.PcImage(), kImageSize }; }
    std::span<uint8_t> SendFlags() override { return { m_link.SendFlags(), kImageSize }; }
    std::span<const uint8_t> ReadBack() const override { return { m_link.ReadBack(), kImageSize }; }

private:
    static_assert(kImageSize == CCOMCOM::kImageSize);
    static_assert(kSearchSlots == CCOMSEARCH::kSlotCount);

    CCOMCOM& m_link;
};
