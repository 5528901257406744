#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Properties that every input of a fuzz target must keep, shared by the fuzz targets (clang,
// libFuzzer) and by the unit test that replays the committed corpus and regression inputs (g++).
// Each check takes the raw input and returns an empty text when the property held, otherwise a
// description of what went wrong.

using FuzzInput = std::span<const std::uint8_t>;

// Frame receive parser, raw bytes. Byte 0 picks the protocol (WCOM, WCOMS, IGN50, IGN100, IGN150,
// IGN300, none; modulo 7), byte 1 how the bytes arrive (low 6 bits: piece size 1 + 5·b; high 2 bits:
// pause after each piece of 0, the gap timeout, one more than it, or half of it); the rest is the
// line. Every frame reported must be exactly the stretch of the line it came from, pass the
// whole-frame checks of its family and, for the WCOM family, differ from that stretch only by the
// short-reply rewrites.
std::string CheckRawReceive(FuzzInput input);

// Frame receive parser fed a frame built by our own builders from a description in the input (see
// properties.cpp for the layout), with a few bytes changed and the check bytes then made right
// again, preceded by noise and a pause longer than the gap timeout, sent once or twice in pieces
// with pauses up to the gap timeout. A built frame must pass its own checks, and every frame that
// passes them must come back exactly (after the short-reply rewrites), once per copy sent.
std::string CheckRepairedFrame(FuzzInput input);

// Parameter file reader. The first 100 bytes as a block, and the whole input read as a file into
// that block once normalised: after normalising, normalising again changes nothing, and the block
// written as a file and read back into a block holding other values gives the same block.
std::string CheckParameterFile(FuzzInput input);

// Reader of the stored parameter block ("default.ini"): at most 100 values set, the others kept;
// the block formatted and parsed again sets all 100 bytes to the same values.
std::string CheckBlockFile(FuzzInput input);

// Settings file values. The input as a settings file: the document written back and read again
// holds the same keys and values in the sections the program uses, and each of them unescapes to
// a path within the length limit. The input as one stored value: unescaping keeps the limit. The
// input read as Latin-1, UTF-8 and UTF-16 text, cut to the path limit and without NUL characters:
// the escaped path unescapes to itself, directly and through a settings file.
std::string CheckStoredValues(FuzzInput input);

using FuzzCheck = std::string (*)(FuzzInput);

struct FuzzTarget {
    const char* name; // folder name under fuzz/corpus and fuzz/regressions
    FuzzCheck check;
};

// Every target, in the order the run script runs them.
std::span<const FuzzTarget> FuzzTargets();

// For the fuzz targets: a broken property stops the process the way a crash does, so that libFuzzer
// keeps the input.
void StopOnViolation(const std::string& violation);
