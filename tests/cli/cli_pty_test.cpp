// The velmor-cli program against the velmor-sim program on a pseudo-terminal: two processes as a user
// runs them, the unit reached as a COM number through the [PORTS] map and the real serial backend.

#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "params/parameter_layout.h"
#include "sim/memory_file.h"
#include "tests/cli/cli_run.h"
#include "platform/child_process.h"
#include "sim/sim_process.h"
#include "tests/support/temp_folder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

const QString kCli = QStringLiteral(VELMOR_CLI_EXECUTABLE);
const QString kSim = QStringLiteral(VELMOR_SIM_EXECUTABLE);

// The COM number the simulator maps its pseudo-terminal to. Every unit has a settings folder of its
// own, so the same number serves units side by side; --port keeps the search off every other port.
constexpr int kPort = 240;
// A hang guard for one velmor-cli run. The runs end as soon as their unit is found; the slowest,
// an IGN300 unit, is found after about 5.6 s of searching the rows before it.
constexpr int kRunMs = 60000;
// --timeout for runs that are expected to find their unit: generous, it only bounds a failure.
const QString kFindSeconds = QStringLiteral("40");

ParameterBlock Settings(int baseAdvance, int hardLimiter)
{
    ParameterBlock block;
    SetDefaults(block);
    block[ParamIndex::kBaseAdvance] = uint8_t(baseAdvance);
    block[ParamIndex::kHardLimiterA] = uint8_t(hardLimiter);
    NormalizeParameters(block);
    return block;
}

ParameterBlock ParametersOf(const PersistentUnit& unit)
{
    ParameterBlock block;
    std::copy_n(unit.memory.begin(), ParameterBlock::kSize, block.bytes.begin());
    return block;
}

// A simulated unit with its own settings folder and memory file, and the velmor-cli runs that
// talk to it.
class UnitOnPty
{
public:
    explicit UnitOnPty(const char* protocol)
        : m_protocol(protocol)
    {
    }

    const char* Protocol() const { return m_protocol; }
    QString File(const QString& name) const { return m_files.file(name); }
    QString WriteSettingsFile(const QString& name, const ParameterBlock& block) const
    {
        return m_files.write(name, WriteParameterFile(block, ParameterFileInfo {}));
    }

    // Starts the simulator with these settings in its memory; extra options follow the protocol.
    bool Start(const ParameterBlock& settings, const QStringList& extra = {})
    {
        PersistentUnit unit;
        std::copy(settings.bytes.begin(), settings.bytes.end(), unit.memory.begin());
        if (!SaveUnitMemory(MemoryPath(), unit))
            return false;
        return m_sim.Start(QStringList { "--protocol", m_protocol, "--memory", MemoryPath(), "--map-com",
                               QString::number(kPort) }
                + extra,
            Environment());
    }

    // velmor-cli on this unit's port, not waited for: several units are worked on side by side.
    std::unique_ptr<ChildProcess> StartCli(const QStringList& arguments) const
    {
        auto cli = std::make_unique<ChildProcess>();
        if (!cli->Start(kCli, arguments + QStringList { "--port", QString::number(kPort) }, Environment()))
            return nullptr;
        return cli;
    }

    // Stops the simulator, which saves its memory file, and reads that file.
    bool StopAndLoadMemory(PersistentUnit& unit)
    {
        if (!m_sim.Stop())
            return false;
        QString error;
        return LoadUnitMemory(MemoryPath(), unit, error) == MemoryFileStatus::Loaded;
    }

    QByteArray SimErrors() const { return m_sim.Errors(); }

private:
    QString MemoryPath() const { return m_files.file("unit.mem"); }
    // The simulator writes its [PORTS] entry here and velmor-cli reads it from here.
    ChildProcess::Environment Environment() const
    {
        return { { "XDG_CONFIG_HOME", m_files.file("config").toLocal8Bit() } };
    }

    const char* m_protocol;
    TempFolder m_files;
    SimProcess m_sim { kSim };
};

ProgramRun Finish(ChildProcess* cli, int timeoutMs = kRunMs)
{
    return cli ? cli->Finish(timeoutMs) : ProgramRun {};
}

// Runs one velmor-cli command on every unit at once and waits for all of them.
template <typename MakeArguments>
std::vector<ProgramRun> RunOnEach(
    const std::vector<std::unique_ptr<UnitOnPty>>& units, MakeArguments arguments)
{
    std::vector<std::unique_ptr<ChildProcess>> running;
    for (const auto& unit : units)
        running.push_back(unit->StartCli(arguments(*unit) + QStringList { "--timeout", kFindSeconds }));
    std::vector<ProgramRun> runs;
    for (const auto& cli : running)
        runs.push_back(Finish(cli.get()));
    return runs;
}

std::string Describe(const ProgramRun& run)
{
    return (run.finished ? "" : "(still running at the hang guard) ") + run.err.toStdString();
}

TEST(CliOnPty, ReadProgramVerifyRoundTripOnEveryProtocol)
{
    const ParameterBlock original = Settings(17, 123);
    const ParameterBlock changed = Settings(21, 118);
    ASSERT_NE(original, changed);

    // Each step runs on the six units at once: finding an IGN300 unit alone takes seconds.
    std::vector<std::unique_ptr<UnitOnPty>> units;
    for (const char* protocol : { "IGN50", "IGN100", "IGN150", "IGN300", "WCOM", "WCOMS" }) {
        units.push_back(std::make_unique<UnitOnPty>(protocol));
        ASSERT_TRUE(units.back()->Start(original))
            << protocol << ": " << units.back()->SimErrors().toStdString();
    }

    const std::vector<ProgramRun> reads = RunOnEach(units, [](const UnitOnPty& unit) {
        return QStringList { "read", "-o", unit.File("read.ign") };
    });
    for (std::size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(units[i]->Protocol());
        ASSERT_EQ(reads[i].code, CliExit::kOk) << Describe(reads[i]);
        ParameterBlock read;
        ASSERT_EQ(LoadParameterFile(units[i]->File("read.ign"), read).status, ParameterFileStatus::Current);
        EXPECT_EQ(read, original);
    }

    const std::vector<ProgramRun> programs = RunOnEach(units, [&](const UnitOnPty& unit) {
        return QStringList { "program", unit.WriteSettingsFile("changed.ign", changed) };
    });
    for (std::size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(units[i]->Protocol());
        ASSERT_EQ(programs[i].code, CliExit::kOk) << Describe(programs[i]);
        EXPECT_TRUE(programs[i].err.contains("Program device: OK")) << programs[i].err.toStdString();
    }

    const std::vector<ProgramRun> verifies = RunOnEach(units, [](const UnitOnPty& unit) {
        return QStringList { "verify", unit.File("changed.ign") };
    });
    for (std::size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(units[i]->Protocol());
        EXPECT_EQ(verifies[i].code, CliExit::kOk) << Describe(verifies[i]);
        EXPECT_TRUE(verifies[i].err.contains("Verify: OK")) << verifies[i].err.toStdString();

        // The unit kept what was programmed, through its own saving.
        PersistentUnit kept;
        ASSERT_TRUE(units[i]->StopAndLoadMemory(kept)) << units[i]->SimErrors().toStdString();
        EXPECT_EQ(ParametersOf(kept), changed);
        EXPECT_EQ(kept.programmings, 1);
    }
}

TEST(CliOnPty, EachFailureEndsWithItsExitCode)
{
    const ParameterBlock settings = Settings(17, 123);
    // A run that finds no matching unit goes on until its --timeout; these runs must end by this
    // guard, counted from their start. The default --timeout is 10 s, so a run that ignored the
    // 2 s given would outlast it.
    constexpr int kShortRunMs = 8000;
    struct Case {
        const char* what;
        QStringList simOptions;
        QStringList cliArguments; // "FILE" stands for a settings file that differs from the unit's
        int code;
        const char* message;
        int guardMs;
    } const cases[] = {
        { "verify against a different file", {}, { "verify", "FILE", "--timeout", kFindSeconds },
            CliExit::kVerifyError, "differ from the file", kRunMs },
        { "silent unit", { "--silent" }, { "read", "-o", "OUT", "--timeout", "2" }, CliExit::kNoUnit,
            "no unit found within 2 s", kShortRunMs },
        // Reported only at the end of the timeout: until then a matching unit may still turn up.
        { "unit of an older program", { "--wrong-key" }, { "read", "-o", "OUT", "--timeout", "2" },
            CliExit::kUnitMismatch, "does not match", kShortRunMs },
    };

    // The cases run side by side, each on a unit of its own.
    std::vector<std::unique_ptr<UnitOnPty>> units;
    std::vector<std::unique_ptr<ChildProcess>> running;
    std::vector<QElapsedTimer> started(std::size(cases));
    for (const Case& c : cases) {
        units.push_back(std::make_unique<UnitOnPty>("IGN50"));
        UnitOnPty& unit = *units.back();
        ASSERT_TRUE(unit.Start(settings, c.simOptions)) << c.what << ": " << unit.SimErrors().toStdString();
        QStringList arguments = c.cliArguments;
        arguments.replaceInStrings(
            QStringLiteral("FILE"), unit.WriteSettingsFile("other.ign", Settings(21, 118)));
        arguments.replaceInStrings(QStringLiteral("OUT"), unit.File("read.ign"));
        started[running.size()].start();
        running.push_back(unit.StartCli(arguments));
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const ProgramRun run
            = Finish(running[i].get(), std::max(0, int(cases[i].guardMs - started[i].elapsed())));
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.code, cases[i].code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(cases[i].message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(QFile::exists(units[i]->File("read.ign")));
    }
}

QString Sample(const char* name)
{
    return QStringLiteral(VELMOR_SAMPLES_DIR "/") + QLatin1String(name);
}

TEST(CliProgram, ConvertsEveryOlderSampleToTheFileTheLibraryMakes)
{
    TempFolder folder;
    for (const char* name : { "velmor_v19.ign", "velmor_v27.ign", "velmor_v33.ign", "velmor_v41.ign",
             "velmor_v46.ign", "velmor_v67.ign", "velmor_v92.ign" }) {
        SCOPED_TRACE(name);
        const QString fromProgram = folder.file(QStringLiteral("program_%1").arg(QLatin1String(name)));
        const ProgramRun run = RunProgram(kCli, { "convert", Sample(name), "-o", fromProgram });
        ASSERT_EQ(run.code, CliExit::kOk) << Describe(run);
        ParameterBlock converted;
        EXPECT_EQ(LoadParameterFile(fromProgram, converted).status, ParameterFileStatus::Current);

        // The same command in this process, on the same library build: the files agree byte for byte.
        const QString inProcess = folder.file(QStringLiteral("library_%1").arg(QLatin1String(name)));
        ASSERT_EQ(RunCli({ "convert", Sample(name), "-o", inProcess }).code, CliExit::kOk);
        EXPECT_EQ(
            folder.read(QFileInfo(fromProgram).fileName()), folder.read(QFileInfo(inProcess).fileName()));
    }
}

} // namespace
