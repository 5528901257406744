// The port hand-over as a user sees it: a window connected to a simulated unit on an in-memory line
// gets its messages through the hand-over socket, on a private name, and lends its port out and
// takes it back.

#include "link/unit_driver.h"
#include "link/unit_operation_codes.h"
#include "params/normalize_parameters.h"
#include "platform/handover_socket.h"
#include "sim/memory_line_unit.h"
#include "tests/core/main_form_fixture.h"

#include <QLabel>
#include <QSignalSpy>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Real-time waits here are hang guards only.
constexpr int kHangGuardMs = 10000;
const QString kOfflineNote = QStringLiteral("(Disconnected by bootloader)");

class MainFormBootloader : public MainFormFixture {
protected:
    MainFormBootloader()
    {
        ports.Set({ { 3, "sim3" } });
        m_line = devices.Add("sim3");
        UnitConfig unitConfig;
        unitConfig.protocol = IGN50;
        unitConfig.baudRate = 0; // listens at any speed
        m_unit = std::make_unique<MemoryLineUnit>(m_line, unitConfig);
        ParameterBlock settings;
        SetDefaults(settings);
        NormalizeParameters(settings);
        m_unit->With([&](UnitEngine& engine) { engine.State().WriteMemory(0, settings.data(), 100, 0); });
        m_unit->Start();

        // The fixture's window, listening on a name of this test's own.
        MainFormOptions options;
        options.messageSink = &messages;
        options.fileDialogs = &dialogs;
        options.startTimer = false;
        options.portList = &ports;
        options.serialFactory = devices.Factory();
        options.handoverSocket = m_socket;
        m_form = std::make_unique<TMainForm>(options);
    }
    ~MainFormBootloader() override
    {
        m_form.reset();
        m_unit->Stop();
    }

    bool Offline() { return Form().Driver().Offline(); }
    QString ComLabel() { return Form().findChild<QLabel*>("LabelCom")->text(); }
    bool TitleSaysOffline() { return Form().windowTitle().endsWith("   " + kOfflineNote); }

    // Sends one message as the bootloader tool would and runs the event loop, without ticking,
    // until the window has had it.
    bool Deliver(int port, uint32_t code)
    {
        const HandoverListener* listener = Form().Handover();
        if (!listener)
            return false;
        // Connected after the window, so the spy hears of a message once the window has handled it.
        QSignalSpy spy(listener, &HandoverListener::MessageReceived);
        QString error;
        if (!SendHandoverMessage(m_socket, { port, code }, error)) {
            ADD_FAILURE() << error.toStdString();
            return false;
        }
        return spy.wait(kHangGuardMs);
    }

    const QString m_socket = files.file("handover.sock");
    std::shared_ptr<MemorySerialLine> m_line;
    std::unique_ptr<MemoryLineUnit> m_unit;
};

TEST_F(MainFormBootloader, ReleaseLendsThePortToAnotherProgramUntilTakeBack)
{
    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "no unit found";
    ASSERT_TRUE(m_line->IsOpen());
    EXPECT_FALSE(TitleSaysOffline());

    ASSERT_TRUE(Deliver(3, BootloaderCode::kRelease));
    // Shown at once, between ticks.
    EXPECT_TRUE(Offline());
    EXPECT_EQ(Form().Driver().ReleasedPort(), 3);
    EXPECT_TRUE(TitleSaysOffline()) << Form().windowTitle().toStdString();
    EXPECT_EQ(ComLabel(), "COM=3 (DISCONECTED)");

    // The port's thread closes it; after that no search opens it again however long the loan lasts.
    ASSERT_TRUE(TickUntil([&] { return !m_line->IsOpen(); })) << "the port stayed open";
    const int opens = m_line->OpenCount();
    for (int tick = 0; tick < 60; ++tick) {
        Form().Timer1Timer();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(m_line->IsOpen());
    EXPECT_EQ(m_line->OpenCount(), opens);
    EXPECT_EQ(ComLabel(), "COM=3 (DISCONECTED)");
    EXPECT_TRUE(TitleSaysOffline());

    // The bootloader tool can have the port meanwhile.
    {
        MemorySerialPort bootloader(devices);
        EXPECT_TRUE(bootloader.Open("sim3", 57600));
        bootloader.Close();
    }

    ASSERT_TRUE(Deliver(3, BootloaderCode::kTakeBack));
    EXPECT_FALSE(Offline());
    EXPECT_EQ(Form().Driver().ReleasedPort(), -1);
    EXPECT_FALSE(TitleSaysOffline()) << Form().windowTitle().toStdString();
    EXPECT_NE(ComLabel(), "COM=3 (DISCONECTED)");
    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "the unit was not found again";
    EXPECT_EQ(ComLabel(), "COM=3");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainFormBootloader, MessagesThatDoNotFitTheLinkChangeNothing)
{
    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "no unit found";
    const struct {
        const char* what;
        int port;
        uint32_t code;
        bool offline;
        bool connected;
    } steps[] = {
        { "release of a port that is not the unit's", 5, BootloaderCode::kRelease, false, true },
        { "reset and release of a port that is not the unit's", 5, BootloaderCode::kResetAndRelease, false, true },
        { "unknown code", 3, 0x7FFFFFA3, false, true },
        { "take back while nothing is lent", 3, BootloaderCode::kTakeBack, false, true },
        { "release", 3, BootloaderCode::kRelease, true, false },
        { "take back of another port", 4, BootloaderCode::kTakeBack, true, false },
        { "release again", 3, BootloaderCode::kRelease, true, false },
        { "reset and release without a unit", 3, BootloaderCode::kResetAndRelease, true, false },
        // Online again; the search finds the unit on the following ticks.
        { "take back", 3, BootloaderCode::kTakeBack, false, false },
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(Deliver(step.port, step.code)) << step.what;
        EXPECT_EQ(Offline(), step.offline) << step.what;
        EXPECT_EQ(TitleSaysOffline(), step.offline) << step.what;
        EXPECT_EQ(Form().Driver().PendingRequest(), UnitRequest::kNone) << step.what;
        EXPECT_EQ(Form().Driver().UnitConnected(), step.connected) << step.what;
        EXPECT_EQ(Form().Driver().ReleasedPort(), step.offline ? 3 : -1) << step.what;
    }
}

TEST_F(MainFormBootloader, ResetAndReleaseResetsTheUnitBeforeLendingThePort)
{
    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "no unit found";
    auto resets = [&] { return m_unit->With([](UnitEngine& engine) { return engine.State().LinkCounters().resets; }); };
    const auto resetsBefore = resets();

    ASSERT_TRUE(Deliver(3, BootloaderCode::kResetAndRelease));
    // The reset goes over the port first, so the port is still Velmor's.
    EXPECT_FALSE(Offline());
    EXPECT_EQ(Form().Driver().PendingRequest(), UnitRequest::kResetThenOffline);

    ASSERT_TRUE(TickUntil([&] { return Offline(); })) << "the port was not released";
    EXPECT_EQ(resets(), resetsBefore + 1);
    EXPECT_EQ(Form().Driver().ReleasedPort(), 3);
    EXPECT_TRUE(TitleSaysOffline());
    ASSERT_TRUE(TickUntil([&] { return !m_line->IsOpen(); })) << "the port stayed open";
    EXPECT_EQ(ComLabel(), "COM=3 (DISCONECTED)");
}

TEST_F(MainFormBootloader, ClosingTheWindowStopsListening)
{
    ASSERT_NE(Form().Handover(), nullptr);
    Form().close();
    EXPECT_EQ(Form().Handover(), nullptr);
    // A late take-back finds nobody, so it cannot open the ports of a window that has closed.
    QString error;
    EXPECT_FALSE(SendHandoverMessage(m_socket, { 3, BootloaderCode::kTakeBack }, error));
}

} // namespace
