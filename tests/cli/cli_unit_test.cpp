// velmor-cli against a simulated unit on an in-memory line: the whole command, from finding the unit
// to the exit code, through the real link threads. No system serial port is opened.

#include "cli/unit_session.h"
#include "link/frame_checks.h"
#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "params/parameter_layout.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "shell/language.h"
#include "sim/memory_line_unit.h"
#include "tests/cli/cli_run.h"
#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

ParameterBlock Settings(int baseAdvance, int hardLimiter)
{
    ParameterBlock block;
    SetDefaults(block);
    block[ParamIndex::kBaseAdvance] = uint8_t(baseAdvance);
    block[ParamIndex::kHardLimiterA] = uint8_t(hardLimiter);
    NormalizeParameters(block);
    return block;
}

class CliWithUnit : public ::testing::Test {
protected:
    ~CliWithUnit() override
    {
        if (m_unit)
            m_unit->Stop();
        SetCurrentLanguage(kEnglish);
    }

    void StartUnit(int protocol, const ParameterBlock& settings, int key = 0, bool silent = false)
    {
        // Every unit on a line of its own, so nothing of an earlier unit's exchange is left on it.
        const QString device = QStringLiteral("sim%1").arg(++m_units);
        ports.Set({ { 3, device } });
        UnitConfig config;
        config.protocol = protocol;
        config.baudRate = DefaultBaudRate(protocol);
        if (key)
            config.key = key;
        m_unit = std::make_unique<MemoryLineUnit>(devices.Add(device), config, [this] { return SimTime(m_simMs.load()); });
        m_unit->With([&](UnitEngine& engine) { engine.State().WriteMemory(0, settings.data(), 100, 0); });
        if (silent) {
            UnitFaults faults;
            faults.silent = true;
            m_unit->SetFaults(faults);
        }
        m_unit->Start();
    }

    ParameterBlock UnitSettings()
    {
        return m_unit->With([](UnitEngine& engine) { return engine.State().Parameters(); });
    }

    // Ticks about ten times faster than the program. The unit's clock follows the ticks, 50 ms each
    // like the link clock, so its replies come as soon, in link time, as they would on a real line.
    CliEnvironment Environment()
    {
        CliEnvironment environment;
        environment.portList = &ports;
        environment.serialFactory = devices.Factory();
        environment.pause = [this] {
            m_simMs += 50;
            std::this_thread::sleep_for(5ms);
        };
        return environment;
    }

    CliRun Run(QStringList arguments) { return RunCli(arguments << "--timeout" << "60", Environment()); }

    QString WriteFile(const char* name, const ParameterBlock& block)
    {
        return files.write(QString::fromLatin1(name), WriteParameterFile(block, ParameterFileInfo {}));
    }

    FixedPortList ports;
    MemorySerialDevices devices;
    TempFolder files;
    std::unique_ptr<MemoryLineUnit> m_unit;
    int m_units = 0;
    std::atomic<std::int64_t> m_simMs { 0 };
};

TEST_F(CliWithUnit, ReadProgramVerifyRoundTripOnEveryProtocol)
{
    const ParameterBlock original = Settings(17, 123);
    const ParameterBlock changed = Settings(21, 118);
    ASSERT_NE(original, changed);
    for (int protocol : { IGN50, IGN100, IGN150, IGN300, WCOM, WCOMS }) {
        SCOPED_TRACE(ProtocolName(protocol));
        StartUnit(protocol, original);

        const QString readPath = files.file(QStringLiteral("read_%1.ign").arg(protocol));
        CliRun run = Run({ "read", "-o", readPath });
        ASSERT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
        ParameterBlock read;
        ASSERT_EQ(LoadParameterFile(readPath, read).status, ParameterFileStatus::Current);
        EXPECT_EQ(read, original);

        const QString changedPath = WriteFile("changed.ign", changed);
        run = Run({ "program", changedPath });
        ASSERT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Program device: OK")) << run.err.toStdString();
        EXPECT_EQ(UnitSettings(), changed);

        run = Run({ "verify", changedPath, "--port", "3" });
        EXPECT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Verify: OK"));
        // The file read at the start no longer matches the unit.
        run = Run({ "verify", readPath });
        EXPECT_EQ(run.code, CliExit::kVerifyError) << run.err.toStdString();

        m_unit->Stop();
        m_unit.reset();
    }
}

TEST_F(CliWithUnit, ReadWithoutAFilePrintsTheSettingsFileAndQuietKeepsStandardErrorForErrors)
{
    const ParameterBlock original = Settings(12, 110);
    StartUnit(IGN50, original);
    const CliRun run = Run({ "read", "--quiet" });
    ASSERT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    ParameterBlock read;
    EXPECT_EQ(ReadParameterFile(run.out, read).status, ParameterFileStatus::Current);
    EXPECT_EQ(read, original);
}

TEST_F(CliWithUnit, EachOutcomeHasItsOwnExitCode)
{
    ParameterBlock locked = Settings(17, 123);
    locked[ParamIndex::kNoReading] = 1;
    const QString out = files.file("locked.ign");

    struct Case {
        const char* what;
        ParameterBlock settings;
        int key;
        bool silent;
        QStringList arguments;
        int code;
    } cases[] = {
        { "locked unit", locked, 0, false, { "read", "-o", out, "--timeout", "60" }, CliExit::kReadingRefused },
        { "silent unit", Settings(17, 123), 0, true, { "read", "-o", out, "--timeout", "3" }, CliExit::kNoUnit },
        { "older unit program", Settings(17, 123), 108, false, { "read", "-o", out, "--timeout", "5" }, CliExit::kUnitMismatch },
        // The connection check's "No reading !" is not the result of a later operation.
        { "reset of a locked unit", locked, 0, false, { "reset", "--timeout", "60" }, CliExit::kOk },
        { "verify on a locked unit", locked, 0, false, { "verify", WriteFile("locked_file.ign", locked), "--timeout", "60" },
            CliExit::kReadingRefused },
        { "no unit on the chosen port", Settings(17, 123), 0, false, { "reset", "--port", "4", "--timeout", "3" }, CliExit::kNoUnit },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartUnit(IGN50, c.settings, c.key, c.silent);
        const CliRun run = RunCli(c.arguments, Environment());
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_TRUE(run.out.isEmpty());
        m_unit->Stop();
        m_unit.reset();
    }
}

TEST_F(CliWithUnit, ResetAndMonitorRunOnTheUnit)
{
    StartUnit(IGN50, Settings(17, 123));
    CliRun run = Run({ "reset" });
    EXPECT_EQ(run.code, CliExit::kOk) << run.err.toStdString();

    run = Run({ "monitor", "--seconds", "3" });
    EXPECT_EQ(run.code, CliExit::kOk) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.last().contains(QLatin1String(" | ")));
}

TEST(CliPorts, ListsPresentPortsAndMappedOnesThatAreAbsent)
{
    FixedPortList ports({ { 1, "/dev/ttyS0" }, { 7, "/dev/pts/4" } });
    CliEnvironment environment;
    environment.portList = &ports;
    environment.mappedPorts = { { 7, "/dev/pts/4" }, { 9, "/dev/pts/9" } };
    const CliRun run = RunCli({ "ports" }, environment);
    EXPECT_EQ(run.code, CliExit::kOk);
    EXPECT_EQ(run.out, "COM1\t/dev/ttyS0\tpresent\nCOM7\t/dev/pts/4\tpresent\nCOM9\t/dev/pts/9\tabsent\n");

    ports.SetFails(true);
    EXPECT_EQ(RunCli({ "ports" }, environment).code, CliExit::kFailed);
}

} // namespace
