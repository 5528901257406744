#include "link/port_thread.h"

#include <QThread>

#include <atomic>

namespace
{

class QtPortThread : public IPortThread
{
public:
    QtPortThread(std::function<void()> body, unsigned stackBytes)
    {
        m_thread.reset(QThread::create([this, work = std::move(body)] {
            work();
            m_bodyDone.store(true, std::memory_order_release);
        }));
        m_thread->setStackSize(stackBytes);
    }
    ~QtPortThread() override { Join(); }

    // QThread reports a failed start only as "neither running nor finished".
    bool Start()
    {
        m_thread->start();
        return m_thread->isRunning() || m_thread->isFinished();
    }

    // QThread::wait() synchronises through Qt's own primitives; the acquire of the flag that the
    // body released last makes everything the body did visible here in terms of the C++ memory
    // model (and to ThreadSanitizer).
    void Join() override
    {
        m_thread->wait();
        while (!m_bodyDone.load(std::memory_order_acquire) && m_thread->isRunning())
            QThread::yieldCurrentThread();
    }

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_bodyDone { false };
};

} // namespace

PortThreadStarter QtPortThreadStarter(unsigned stackBytes)
{
    return [stackBytes](std::function<void()> body) -> std::unique_ptr<IPortThread> {
        auto thread = std::make_unique<QtPortThread>(std::move(body), stackBytes);
        if (!thread->Start())
            return nullptr;
        return thread;
    };
}
