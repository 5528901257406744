// The velmor-sim program itself: its command line, and a PC on another thread talking to it over a
// real pseudo-terminal through QSerialPort.

#include "shell/settings.h"
#include "sim/memory_file.h"
#include "tests/sim/sim_test_support.h"
#include "platform/child_process.h"
#include "sim/sim_process.h"
#include "tests/support/temp_folder.h"

#include <QSerialPort>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kSimulator = QStringLiteral(VELMOR_SIM_EXECUTABLE);

ProgramRun RunSimulator(const QStringList& arguments)
{
    return RunProgram(kSimulator, arguments, {}, 20000);
}

TEST(VelmorSimProgram, HelpDocumentsTheOptionsAndMistakesEndWithAMessage)
{
    const ProgramRun help = RunSimulator({ "--help" });
    EXPECT_EQ(help.code, 0);
    for (const char* option : { "--protocol", "--seed", "--memory", "--map-com", "--corrupt", "--drop", "--slow", "--silent",
             "--echo", "--wrong-key", "--data-error", "--lose-first", "--unplug-after" })
        EXPECT_TRUE(help.out.contains(option)) << option;

    const ProgramRun bad = RunSimulator({ "--protocol", "IGN75" });
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains("'IGN75' is not one of")) << bad.err.toStdString();
    EXPECT_TRUE(bad.out.isEmpty());
}

// What the PC's thread saw.
struct PcSession {
    bool opened = false;
    Bytes identification;
    Bytes writeEcho;
    Bytes readBack;
    Bytes monitor;
};

// Sends a frame and reads the reply of the given size; empty when it does not come in time.
Bytes Exchange(QSerialPort& port, const Bytes& request, int size)
{
    port.write(reinterpret_cast<const char*>(request.data()), static_cast<qint64>(request.size()));
    port.waitForBytesWritten(5000);
    QByteArray reply;
    while (reply.size() < size && port.waitForReadyRead(5000))
        reply += port.readAll();
    return reply.size() == size ? Bytes(reply.begin(), reply.end()) : Bytes();
}

TEST(VelmorSimProgram, ServesAPcOnAPseudoTerminalAndKeepsItsMemory)
{
    TempFolder folder;
    const QString memory = folder.file("unit.mem");
    SimProcess simulator(kSimulator);
    ASSERT_TRUE(simulator.Start({ "--protocol", "IGN50", "--map-com", "201", "--memory", memory, "--rpm", "2500", "--input1",
        "open", "--input2", "open" }))
        << simulator.Errors().toStdString();
    const QString device = simulator.Device();

    // Velmor, started now, would find the unit as COM201.
    const SettingsLocation where = LocateSettings(kRsKey);
    EXPECT_EQ(LoadSettings(where, VelmorSettings(), {}).ports[201], device);

    const Bytes block(50, 0x3C);
    PcSession session;
    std::unique_ptr<QThread> pc(QThread::create([&] {
        QSerialPort port(device);
        port.setBaudRate(57600);
        if (!port.open(QIODevice::ReadWrite))
            return;
        session.opened = true;
        Bytes request(kFrameBufferSize);
        request.resize(BuildIdentificationRequest(request, IGN50, kRsKey));
        session.identification = Exchange(port, request, 52);
        session.writeEcho = Exchange(port, IgnRequestFrame(IGN50, 0x02, block), 52);
        session.readBack = Exchange(port, IgnRequestFrame(IGN50, 0x42), 52);
        Bytes monitorRequest(50, 0);
        monitorRequest[49] = kRsKey;
        session.monitor = Exchange(port, IgnRequestFrame(IGN50, 0x30, monitorRequest, kRsKey), 52);
        port.close();
    }));
    pc->start();
    ASSERT_TRUE(pc->wait(30000));

    ASSERT_TRUE(session.opened);
    UnitIdentity identity;
    ASSERT_EQ(session.identification.size(), 52u);
    ASSERT_TRUE(ParseIgnIdentification(session.identification.data(), IGN50, identity));
    EXPECT_EQ(identity.version, kRsKey);
    EXPECT_EQ(session.writeEcho, IgnRequestFrame(IGN50, 0x82, block));
    EXPECT_EQ(session.readBack, IgnRequestFrame(IGN50, 0xC2, block));
    ASSERT_EQ(session.monitor.size(), 52u);
    EXPECT_EQ(WordAt(session.monitor, 1 + MonitorIndex::kRpm), 2500);
    EXPECT_EQ(WordAt(session.monitor, 1 + MonitorIndex::kSavingCountdown) > 0, true);

    // Ended by SIGTERM, it removes its port entry and saves its memory, and exits with 0.
    ASSERT_TRUE(simulator.Stop()) << simulator.Errors().toStdString();
    EXPECT_EQ(LoadSettings(where, VelmorSettings(), {}).ports.count(201), 0u);

    PersistentUnit kept;
    QString error;
    ASSERT_EQ(LoadUnitMemory(memory, kept, error), MemoryFileStatus::Loaded) << error.toStdString();
    EXPECT_EQ(Bytes(kept.memory.begin() + 50, kept.memory.begin() + 100), block);
}

} // namespace
