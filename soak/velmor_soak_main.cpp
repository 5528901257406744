// velmor-soak: thousands of Program operations against the simulated unit over a damaged line, to
// prove that a damaged line ends every operation with either the truth or an error, never with a
// false "Program device: OK" and never without an end.

#include "soak/program_soak.h"
#include "sim/unit_config.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFault = 1; // a false OK, an unreported failure, a hang or a stuck link
constexpr int kExitUsage = 2;

void PrintHelp()
{
    std::printf(R"(Usage: velmor-soak [options]

Programs random normalised parameter blocks into a simulated unit over an in-memory line that
corrupts and drops bytes in both directions and now and then loses its cable. Every operation ends
as OK (the unit holds the block), error (an error was shown), false OK ("Program device: OK" but the
unit holds something else), unreported (ended without a result or an error) or hang (no end within
the tick limit). Exits with 1 when any false OK, unreported failure or hang occurred.

  --count N        operations to run (default 10000)
  --seed N         seed of the blocks, the line's damage and the cable (default 1)
  --corrupt RATE   chance per byte and direction that it arrives changed, 0..1 (default 0.01)
  --drop RATE      chance per byte and direction that it is lost, 0..1 (default 0.01)
  --unplug RATE    chance per operation that the cable is pulled during it, 0..1 (default 0.02)
  --protocol NAME  IGN50, IGN100, IGN150, IGN300, WCOM or WCOMS (default IGN50)
  -h, --help       this text
)");
}

bool ParseRate(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= 0.0 && value <= 1.0;
}

bool ParseCount(const char* text, long long minimum, long long& value)
{
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && value >= minimum;
}

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "velmor-soak: %s (see --help)\n", problem.c_str());
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ProgramSoakOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-h" || option == "--help") {
            PrintHelp();
            return kExitOk;
        }
        if (i + 1 >= argc)
            return Usage("unknown option or missing value: " + option);
        const char* value = argv[++i];
        long long number = 0;
        if (option == "--count") {
            if (!ParseCount(value, 1, number) || number > 100000000)
                return Usage("--count needs a number of operations");
            options.count = static_cast<int>(number);
        } else if (option == "--seed") {
            if (!ParseCount(value, 0, number))
                return Usage("--seed needs a number");
            options.seed = static_cast<std::uint64_t>(number);
        } else if (option == "--corrupt") {
            if (!ParseRate(value, options.corruptRate))
                return Usage("--corrupt needs a rate 0..1");
        } else if (option == "--drop") {
            if (!ParseRate(value, options.dropRate))
                return Usage("--drop needs a rate 0..1");
        } else if (option == "--unplug") {
            if (!ParseRate(value, options.unplugChance))
                return Usage("--unplug needs a rate 0..1");
        } else if (option == "--protocol") {
            options.protocol = ProtocolFromName(value);
            if (options.protocol == 0)
                return Usage("--protocol needs IGN50, IGN100, IGN150, IGN300, WCOM or WCOMS");
        } else {
            return Usage("unknown option " + option);
        }
    }

    const ProgramSoakReport report = RunProgramSoak(options, [](const ProgramSoakReport& sofar) {
        std::fprintf(stderr, "... %d operations: OK %d, error %d, false OK %d, unreported %d, hang %d (%.0f s)\n",
            sofar.operations, sofar.ok, sofar.errors, sofar.falseOk, sofar.unreported, sofar.hangs, sofar.seconds);
    });
    std::fputs(FormatSoakReport(options, report).c_str(), stdout);
    return report.Clean() ? kExitOk : kExitFault;
}
