#pragma once

#include "link/transfer_jobs.h"

#include <cstdint>
#include <span>

// What the unit-operation driver needs of the transfer engine: start a job on the unit memory image,
// see how it ended, and keep the link's connection bookkeeping going. Everything runs on the
// window thread; the engine's worker only ever answers through the job field and the read-back
// image, which it fills before it reports JOB_DONE.
class ITransferEngine
{
public:
    static constexpr int kImageSize = 8000;
    static constexpr int kSearchSlots = 3;

    virtual ~ITransferEngine() = default;

    // Job codes and flag bits are those of transfer_jobs.h. Ignored while the job field is not 0.
    // Clears the read-back image over the range, and per the flags marks the send flags and zeroes
    // the PC image; the job field is written last.
    virtual void StartJob(int job, int start, int count, int flags) = 0;
    // 0 none, a job code while it runs, JOB_DONE or JOB_FAILED when it is over.
    virtual int Job() const = 0;
    // The job that ended with the result now in the job field.
    virtual int LastJob() const = 0;
    // Sets the job field back to 0 after a result has been read, so the next job can start.
    virtual void TakeResult() = 0;
    // The next address the running job will look at; the driver turns it into progress.
    virtual int CurrentAddress() const = 0;
    // Parameters of JOB_COMMAND for the protocols that carry them outside the data.
    virtual void SetCommand(int word, int address, int length) = 0;

    // COM number of the connected unit, 0 when none.
    virtual int ConnectedPort() const = 0;
    // Online: the link may use the serial ports. Offline while another program has borrowed the port.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Closes the connected unit's port and lets the port search start again.
    virtual void Disconnect() = 0;
    // Every tick: the port search and the connection bookkeeping; abandons a running job when the
    // connection is gone.
    virtual void LinkStep() = 0;

    // The port choice of the search: -1 ports switched off, 0 automatic, n only COM n.
    virtual int PortSelection() const = 0;
    // The port a search slot (0 to kSearchSlots - 1) is trying, 0 when none.
    virtual int SearchSlotPort(int slot) const = 0;

    // The unit memory image, kImageSize bytes each, indexed by unit address.
    virtual std::span<uint8_t> PcImage() = 0;
    virtual std::span<uint8_t> SendFlags() = 0;
    virtual std::span<const uint8_t> ReadBack() const = 0;
};
