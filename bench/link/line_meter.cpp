#include "bench/link/line_meter.h"

#include <utility>

double LineMs(std::int64_t bytes, int baudRate)
{
    constexpr int kBitsPerByte = 10;
    return baudRate > 0 ? static_cast<double>(bytes) * kBitsPerByte * 1000.0 / baudRate : 0.0;
}

// Forwards every call to the real backend and counts what went over the watched device.
class LineMeter::CountingPort : public ISerialPort
{
public:
    CountingPort(LineMeter& meter, std::unique_ptr<ISerialPort> backend)
        : m_meter(meter)
        , m_backend(std::move(backend))
    {
    }

    bool Open(const QString& devicePath, int baudRate) override
    {
        const bool opened = m_backend->Open(devicePath, baudRate);
        m_watched = opened && devicePath == m_meter.m_watched;
        if (m_watched) {
            m_meter.m_baudRate.store(baudRate, std::memory_order_release);
            int never = -1;
            m_meter.m_firstOpenTick.compare_exchange_strong(
                never, m_meter.m_tick.load(std::memory_order_acquire), std::memory_order_acq_rel);
        }
        return opened;
    }
    void Close() override
    {
        m_backend->Close();
        m_watched = false;
    }
    bool IsOpen() const override { return m_backend->IsOpen(); }
    int Write(const std::uint8_t* bytes, int count) override
    {
        const int written = m_backend->Write(bytes, count);
        if (m_watched && written > 0)
            m_meter.m_sent.fetch_add(written, std::memory_order_acq_rel);
        return written;
    }
    int BytesWaiting() override { return m_backend->BytesWaiting(); }
    int Read(std::uint8_t* into, int maxCount) override
    {
        const int got = m_backend->Read(into, maxCount);
        if (m_watched && got > 0) {
            m_meter.m_lastReceived.store(
                std::chrono::steady_clock::now().time_since_epoch().count(), std::memory_order_release);
            m_meter.m_received.fetch_add(got, std::memory_order_acq_rel);
        }
        return got;
    }
    void WaitForEvent(PortWakeup& wakeup, bool wantInput, int timeoutMs) override
    {
        m_backend->WaitForEvent(wakeup, wantInput, timeoutMs);
    }

private:
    LineMeter& m_meter;
    std::unique_ptr<ISerialPort> m_backend;
    bool m_watched = false; // port thread only
};

LineMeter::LineMeter(QString watchedDevice)
    : m_watched(std::move(watchedDevice))
{
}

SerialPortFactory LineMeter::Wrap(SerialPortFactory backend)
{
    return [this, backend = std::move(backend)]() -> std::unique_ptr<ISerialPort> {
        std::unique_ptr<ISerialPort> port = backend ? backend() : nullptr;
        if (!port)
            return nullptr;
        return std::make_unique<CountingPort>(*this, std::move(port));
    };
}

LineBytes LineMeter::Bytes() const
{
    return { m_sent.load(std::memory_order_acquire), m_received.load(std::memory_order_acquire) };
}

std::chrono::steady_clock::time_point LineMeter::LastReceived() const
{
    return std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(m_lastReceived.load(std::memory_order_acquire)));
}
