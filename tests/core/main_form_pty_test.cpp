// The Velmor window against the velmor-sim program on a pseudo-terminal: the real serial backend,
// the window's own tick, and the unit in a process of its own, as on a user's desk.

#include "params/normalize_parameters.h"
#include "params/parameter_layout.h"
#include "sim/memory_file.h"
#include "tests/core/main_form_fixture.h"
#include "sim/sim_process.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace
{

class MainFormOnPty : public MainFormFixture
{
protected:
    // The unit's pseudo-terminal is the only port the window sees.
    static constexpr int kPort = 240;
    static constexpr int kRpm = 2500;
    // A hang guard: each step takes a few ticks of the link, and Program one second of the unit's
    // saving besides.
    static constexpr int kMaxTicks = 400;

    ~MainFormOnPty() override
    {
        // The window lets go of the port before the unit goes away.
        m_form.reset();
        m_sim.Stop();
    }

    // Starts the simulator with these settings in its memory and the engine held at kRpm; both
    // inputs open, so that nothing stops the engine.
    bool StartUnit(const ParameterBlock& settings)
    {
        PersistentUnit unit;
        std::copy(settings.bytes.begin(), settings.bytes.end(), unit.memory.begin());
        if (!SaveUnitMemory(MemoryPath(), unit))
            return false;
        if (!m_sim.Start({ "--protocol", "IGN50", "--memory", MemoryPath(), "--rpm", QString::number(kRpm),
                "--input1", "open", "--input2", "open" }))
            return false;
        ports.Set({ { kPort, m_sim.Device() } });
        return true;
    }

    // The window on the real serial ports: the fixture's Form() would give it in-memory ones.
    TMainForm& Window()
    {
        if (!m_form) {
            MainFormOptions options;
            options.messageSink = &messages;
            options.fileDialogs = &dialogs;
            options.startTimer = false;
            options.portList = &ports;
            m_form = std::make_unique<TMainForm>(options);
        }
        return *m_form;
    }

    // Ticks the window at the program's own pace, so the pseudo-terminal and the simulator have the
    // real time between two ticks that they have in use, until the condition holds.
    bool TickUntil(const std::function<bool()>& done)
    {
        auto next = std::chrono::steady_clock::now();
        for (int tick = 0; tick < kMaxTicks; ++tick) {
            next = std::max(next + std::chrono::milliseconds(TickClock::kTickIntervalMs),
                std::chrono::steady_clock::now());
            std::this_thread::sleep_until(next);
            QCoreApplication::processEvents();
            Window().Timer1Timer();
            if (done())
                return true;
        }
        return false;
    }

    bool Idle()
    {
        return Window().Driver().UnitConnected() && Window().Driver().State() == DriverState::kIdle;
    }
    QString LabelText(const char* name) { return Window().findChild<QLabel*>(name)->text(); }
    bool ResultShows(const char* text) { return Idle() && LabelText("LabelResult") == QLatin1String(text); }

    QString MemoryPath() const { return files.file("unit.mem"); }

    SimProcess m_sim { QStringLiteral(VELMOR_SIM_EXECUTABLE) };
};

ParameterBlock Recognisable(int baseAdvance)
{
    ParameterBlock block;
    SetDefaults(block);
    block[ParamIndex::kBaseAdvance] = uint8_t(baseAdvance);
    block[ParamIndex::kHardLimiterA] = 123;
    NormalizeParameters(block);
    return block;
}

TEST_F(MainFormOnPty, FindsTheUnitShowsItLiveAndReadsProgramsAndVerifiesIt)
{
    const ParameterBlock settings = Recognisable(17);
    ASSERT_TRUE(StartUnit(settings)) << m_sim.Errors().toStdString();
    TMainForm& form = Window();

    ASSERT_TRUE(TickUntil([&] { return Idle(); })) << "no unit found";
    EXPECT_TRUE(LabelText("LabelCom").contains(QString::number(kPort)))
        << LabelText("LabelCom").toStdString();
    EXPECT_TRUE(form.findChild<QAction*>("MenuRead")->isEnabled());
    // The monitor shows the running engine, not dashes.
    ASSERT_TRUE(TickUntil([&] { return LabelText("LabelRpm") == QStringLiteral("RPM = %1 ").arg(kRpm); }))
        << LabelText("LabelRpm").toStdString();
    EXPECT_FALSE(LabelText("LabelHourMeter").contains("---")) << LabelText("LabelHourMeter").toStdString();

    form.MenuReadClick();
    ASSERT_TRUE(TickUntil([&] { return Idle() && form.Block() == settings; })) << "Read did not finish";
    EXPECT_EQ(form.Settings().newInstall, 0);

    // A file opened after the Read goes into the unit.
    const ParameterBlock changed = Recognisable(21);
    form.OpenParameterFile(files.write("changed.ign", WriteParameterFile(changed, ParameterFileInfo {})));
    ASSERT_EQ(form.Block(), changed);
    form.MenuProgramClick();
    ASSERT_TRUE(TickUntil([&] { return ResultShows("Program device: OK"); }))
        << LabelText("LabelResult").toStdString();

    form.MenuVerifyClick();
    ASSERT_TRUE(TickUntil([&] { return ResultShows("Verify: OK"); }))
        << LabelText("LabelResult").toStdString();
    EXPECT_TRUE(messages.shown.empty());

    // The unit saved what it was given: its memory file holds it once the simulator has ended.
    m_form.reset();
    ASSERT_TRUE(m_sim.Stop()) << m_sim.Errors().toStdString();
    PersistentUnit kept;
    QString error;
    ASSERT_EQ(LoadUnitMemory(MemoryPath(), kept, error), MemoryFileStatus::Loaded) << error.toStdString();
    EXPECT_TRUE(std::equal(changed.bytes.begin(), changed.bytes.end(), kept.memory.begin()));
}

} // namespace
