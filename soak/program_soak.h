#pragma once

#include "link/frame_checks.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A long run of Program operations against the simulated unit over a damaged line: every operation
// programs a new random, normalised parameter block, and its outcome is judged against what the
// unit's memory really holds afterwards.
struct ProgramSoakOptions {
    std::uint64_t seed = 1;
    int count = 10000;
    int protocol = IGN50;
    // Chance per byte, in each direction of the line, that it arrives changed / is lost.
    double corruptRate = 0.01;
    double dropRate = 0.01;
    // Chance per operation that the cable is pulled at some moment during it and put back later.
    double unplugChance = 0.02;
    // Ticks an operation may take, from its request to its outcome, before it counts as hung. Far
    // beyond the longest failing operation (three failed jobs of three timed-out frames each, then
    // a lost unit found again by the search).
    int operationTickLimit = 4000;
};

// How one operation ended.
enum class SoakOutcome {
    Ok, // "Program device: OK" and the unit holds the block
    Error, // an error was shown: a verify or checking error, or the lost connection
    FalseOk, // "Program device: OK" but the unit holds something else
    Unreported, // the operation ended without its result and without an error being shown
    Hang, // no outcome within the tick limit
};

const char* SoakOutcomeName(SoakOutcome outcome);

struct ProgramSoakReport {
    int operations = 0;
    int ok = 0;
    int errors = 0;
    int falseOk = 0;
    int unreported = 0;
    int hangs = 0;
    int unplugs = 0;
    // Which error texts ended the failed operations (English).
    int verifyErrors = 0;
    int checkingErrors = 0;
    int lostConnections = 0;
    long long ticks = 0;
    double seconds = 0.0;
    // Operations (numbered from 0) whose outcome is a fault: false OK, unreported or hung.
    struct Fault {
        int operation;
        SoakOutcome outcome;
        int tick; // the rig's tick at which the outcome was judged
        std::string detail;
    };
    std::vector<Fault> faults;
    // Set when the link's threads did not settle: the run stopped there.
    bool linkStuck = false;

    bool Clean() const { return falseOk == 0 && unreported == 0 && hangs == 0 && !linkStuck; }
};

// Runs the soak; `progress` (may be empty) hears the report now and then while it runs.
ProgramSoakReport RunProgramSoak(
    const ProgramSoakOptions& options, const std::function<void(const ProgramSoakReport&)>& progress = {});

// The report as the few lines velmor-soak prints.
std::string FormatSoakReport(const ProgramSoakOptions& options, const ProgramSoakReport& report);
