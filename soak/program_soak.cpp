#include "soak/program_soak.h"

#include "link/unit_operation_codes.h"
#include "params/normalize_parameters.h"
#include "shell/language.h"
#include "shell/status_texts.h"
#include "sim/sim_random.h"
#include "soak/unit_rig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace
{

// The operations' own numbers come from a sequence apart from the unit's, so changing the line's
// damage does not change the blocks that are programmed.
constexpr std::uint64_t kBlockSeedOffset = 0xB10C5EEDull;
// A pulled cable stays out for this many ticks, and is pulled this many ticks into the operation.
constexpr int kUnplugTicksMin = 10;
constexpr int kUnplugTicksMax = 160;
constexpr int kUnplugLatestStart = 60;
// The progress report comes every this many operations.
constexpr int kProgressEvery = 500;
// After this many faults the run stops: the first few tell the story.
constexpr int kFaultsKept = 20;

ParameterBlock RandomBlock(SimRandom& random)
{
    ParameterBlock block;
    SetDefaults(block);
    const int changes = random.Between(1, ParameterBlock::kSize);
    for (int i = 0; i < changes; ++i)
        block[random.Between(0, ParameterBlock::kSize - 1)] = static_cast<std::uint8_t>(random.Between(0, 255));
    NormalizeParameters(block);
    return block;
}

bool Showed(const std::vector<QString>& results, const char* text)
{
    return std::find(results.begin(), results.end(), SelectQText(text, kEnglish)) != results.end();
}

// One operation on the rig, from the request to its outcome.
class ProgramOperation
{
public:
    ProgramOperation(UnitRig& rig, const ParameterBlock& block, int tickLimit)
        : m_rig(rig)
        , m_block(block)
        , m_tickLimit(tickLimit)
    {
    }

    // Ticks until the outcome; `beforeTick` runs before every tick (the cable's schedule).
    SoakOutcome Run(const std::function<void(int tick)>& beforeTick)
    {
        m_rig.Block() = m_block;
        m_rig.BlockState().changed.fill(false);
        m_rig.ClearResults();
        m_rig.Driver().Request(UnitRequest::kProgramAll);
        for (int tick = 0; tick < m_tickLimit; ++tick) {
            beforeTick(tick);
            m_rig.ClearEvents();
            if (!m_rig.Tick()) {
                m_stuck = true;
                return SoakOutcome::Hang;
            }
            if (const std::optional<SoakOutcome> outcome = Judge())
                return *outcome;
        }
        m_detail = "still in state " + std::to_string(m_rig.Driver().State());
        return SoakOutcome::Hang;
    }

    bool Stuck() const { return m_stuck; }
    const std::string& Detail() const { return m_detail; }
    bool VerifyError() const { return Showed(m_rig.Results(), kStatusVerifyError); }
    bool CheckingError() const { return Showed(m_rig.Results(), kStatusCheckingError); }
    bool Lost() const { return m_lost; }

private:
    std::optional<SoakOutcome> Judge()
    {
        CUnitDriver& driver = m_rig.Driver();
        const std::vector<QString>& results = m_rig.Results();
        if (Showed(results, kStatusProgramOk)) {
            if (m_rig.UnitParameters() == m_block)
                return SoakOutcome::Ok;
            m_detail = "the unit's memory differs from the block";
            return SoakOutcome::FalseOk;
        }
        const bool taken = driver.PendingRequest() == UnitRequest::kNone;
        if (!taken)
            return std::nullopt;
        // A unit lost once the program has begun ends it: the search starts again, and the driver
        // said "No connection with PC...". Lost before, the request waits for the unit.
        if (!driver.UnitConnected() || m_rig.Events().linkLost) {
            m_lost = true;
            return SoakOutcome::Error;
        }
        const int state = driver.State();
        const bool idle = state == DriverState::kIdle || state == DriverState::kMonitor;
        if (!idle || driver.ProgramDone())
            return std::nullopt;
        if (VerifyError() || CheckingError() || Showed(results, kStatusNoReading))
            return SoakOutcome::Error;
        m_detail = "ended without a result; last text \"" + (results.empty() ? std::string() : results.back().toStdString())
            + "\"";
        return SoakOutcome::Unreported;
    }

    UnitRig& m_rig;
    const ParameterBlock m_block;
    const int m_tickLimit;
    bool m_stuck = false;
    bool m_lost = false;
    std::string m_detail;
};

} // namespace

const char* SoakOutcomeName(SoakOutcome outcome)
{
    switch (outcome) {
    case SoakOutcome::Ok:
        return "OK";
    case SoakOutcome::Error:
        return "error";
    case SoakOutcome::FalseOk:
        return "false OK";
    case SoakOutcome::Unreported:
        return "unreported";
    case SoakOutcome::Hang:
        return "hang";
    }
    return "?";
}

ProgramSoakReport RunProgramSoak(
    const ProgramSoakOptions& options, const std::function<void(const ProgramSoakReport&)>& progress)
{
    SetCurrentLanguage(kEnglish);

    UnitRig::Options rigOptions;
    rigOptions.unit.protocol = options.protocol;
    rigOptions.unit.baudRate = DefaultBaudRate(options.protocol);
    rigOptions.unit.seed = options.seed;
    // A still engine: the monitor block changes only with the saving.
    rigOptions.unit.engine.fixedRpm = 0;
    rigOptions.unit.engine.input1 = 0;
    rigOptions.unit.engine.input2 = 0;
    rigOptions.unit.faults.corruptRate = options.corruptRate;
    rigOptions.unit.faults.dropRate = options.dropRate;
    rigOptions.unit.faults.requestCorruptRate = options.corruptRate;
    rigOptions.unit.faults.requestDropRate = options.dropRate;
    UnitRig rig(rigOptions);

    SimRandom random(options.seed ^ kBlockSeedOffset);
    ProgramSoakReport report;
    const auto started = std::chrono::steady_clock::now();
    int plugBackAt = -1; // rig tick at which a pulled cable goes back in
    for (int op = 0; op < options.count; ++op) {
        const ParameterBlock block = RandomBlock(random);
        int unplugAt = -1;
        if (random.Chance(options.unplugChance)) {
            unplugAt = random.Between(0, kUnplugLatestStart);
            ++report.unplugs;
        }
        const int unplugFor = random.Between(kUnplugTicksMin, kUnplugTicksMax);

        ProgramOperation operation(rig, block, options.operationTickLimit);
        const SoakOutcome outcome = operation.Run([&](int tick) {
            if (tick == unplugAt && plugBackAt < 0) {
                rig.SetUnplugged(true);
                plugBackAt = rig.Ticks() + unplugFor;
            }
            if (plugBackAt >= 0 && rig.Ticks() >= plugBackAt) {
                rig.SetUnplugged(false);
                plugBackAt = -1;
            }
        });

        ++report.operations;
        switch (outcome) {
        case SoakOutcome::Ok:
            ++report.ok;
            break;
        case SoakOutcome::Error:
            ++report.errors;
            report.verifyErrors += operation.VerifyError();
            report.checkingErrors += operation.CheckingError();
            report.lostConnections += operation.Lost();
            break;
        case SoakOutcome::FalseOk:
            ++report.falseOk;
            break;
        case SoakOutcome::Unreported:
            ++report.unreported;
            break;
        case SoakOutcome::Hang:
            ++report.hangs;
            break;
        }
        if (outcome == SoakOutcome::FalseOk || outcome == SoakOutcome::Unreported || outcome == SoakOutcome::Hang)
            report.faults.push_back({ op, outcome, rig.Ticks(), operation.Detail() });
        if (operation.Stuck()) {
            report.linkStuck = true;
            break;
        }
        if (static_cast<int>(report.faults.size()) >= kFaultsKept)
            break;
        if (progress && (op + 1) % kProgressEvery == 0) {
            report.ticks = rig.Ticks();
            report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            progress(report);
        }
    }
    report.ticks = rig.Ticks();
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

std::string FormatSoakReport(const ProgramSoakOptions& options, const ProgramSoakReport& report)
{
    char line[512];
    std::string text;
    std::snprintf(line, sizeof line,
        "seed %llu, %s, corrupt %.4g, drop %.4g (each direction), unplug %.4g per operation\n",
        static_cast<unsigned long long>(options.seed), ProtocolName(options.protocol), options.corruptRate,
        options.dropRate, options.unplugChance);
    text += line;
    std::snprintf(line, sizeof line,
        "operations %d: OK %d, error %d (verify %d, checking %d, connection lost %d), false OK %d, "
        "unreported %d, hang %d; cable pulled %d times\n",
        report.operations, report.ok, report.errors, report.verifyErrors, report.checkingErrors,
        report.lostConnections, report.falseOk, report.unreported, report.hangs, report.unplugs);
    text += line;
    const double ticksPerOp = report.operations ? static_cast<double>(report.ticks) / report.operations : 0.0;
    const double opsPerSecond = report.seconds > 0 ? report.operations / report.seconds : 0.0;
    std::snprintf(line, sizeof line, "ticks %lld (%.1f per operation), %.1f s, %.1f operations/s\n", report.ticks,
        ticksPerOp, report.seconds, opsPerSecond);
    text += line;
    for (const ProgramSoakReport::Fault& fault : report.faults) {
        std::snprintf(line, sizeof line, "  operation %d: %s at tick %d: %s\n", fault.operation,
            SoakOutcomeName(fault.outcome), fault.tick, fault.detail.c_str());
        text += line;
    }
    if (report.linkStuck)
        text += "  the link's threads did not settle; the run stopped\n";
    return text;
}
