#pragma once

#include "shell/rskey.h"

#include <QString>
#include <QTimeZone>

#include <cstdint>
#include <span>
#include <string>

// The program's name as the version texts and files show it.
inline constexpr const char* kProgramName = "Velmor";

// The unit's information block as the link keeps it: 50 bytes from address 0 of the information space.
inline constexpr int kUnitInfoSize = 50;
using UnitInfoBlock = std::span<const uint8_t, kUnitInfoSize>;

// What the version texts know about the unit on the other end of the link.
enum class UnitVersionState {
    NotConnected = 0, // start state, and after every loss of the link
    Unmatched = 1, // the live monitor answers, but with a version other than kRsKey
    Matched = 2, // the live monitor answers with kRsKey
};

// Texts made from one information block. Each one is empty when the block does not carry it.
struct UnitInfoTexts {
    QString name; // program name, e.g. "XYZ07"; LabelVerze1
    QString date; // " 5. 4.2025": day (blank-padded), month, four-digit year; LabelVerze2
    QString time; // "09:03"; LabelVerze3
    QString updateCode; // "250203A+" followed by the name, or the name alone
    QString serialNumber; // "080706-050403-0121a" or "none SN"
    QString lastUpdate; // "(last update: dd.mm.yyyy-hh:mm:ss)" in the given zone, or "error"
    QString options; // up to three letters, "~" marking gaps between them
};

// Month number of the unit's build as " 1".." 9", "10".."12". The unit stores the month as the sum of
// the character codes of its English abbreviation ("Jan" ...) modulo 64; an unknown code gives "00".
QString MonthText(uint8_t code);

// Texts of one information block. The last-update time is shown in `zone` (the user's local zone in
// the program; tests pass a fixed one).
UnitInfoTexts FormatUnitInfoTexts(UnitInfoBlock info, const QTimeZone& zone);

// "%i_%02i_%02i" (year, month, day) from a C build-date text such as "Apr 24 2025" or "Apr  4 2025".
// A text that is short or garbled gives zeros for the fields it lacks; nothing is read past its end.
QString BuildDateText(const char* compileDate);

// The version texts of the main window: the PC version for status panel 2, the unit version for
// panel 4 and the unit's information texts for the version labels and the parameter file. The build
// date comes from the call site (the compiler's date of the application), never from this library.
class VersionTexts
{
public:
    explicit VersionTexts(const char* compileDate, QTimeZone zone = QTimeZone::systemTimeZone());

    // Builds the build date text, clears the PC and unit version texts and forgets the unit's version
    // (state NotConnected). Run at start-up and whenever the link to the unit is lost.
    void ParseBuildDate();
    // "Velmor   RSKEY=109   COMPILE=2025_04_24".
    void FormatPcVersion();
    // The unit version text for the current state; see UnitVersionText().
    void FormatUnitVersion();
    // Replaces the unit's information texts with those of a newly stored information block. They are
    // kept when the link is lost, until the next block arrives.
    void FormatUnitInfo(UnitInfoBlock info);
    // A live-monitor answer carried `unitVersion`: state Matched when it is kRsKey, Unmatched otherwise.
    void SetUnitVersion(int unitVersion);

    UnitVersionState State() const { return m_state; }
    const QString& BuildDate() const { return m_buildDate; }
    const QString& PcVersionText() const { return m_pcVersion; }
    // NotConnected: "not connected". Unmatched: the unmatched-version message in the language of the
    // last message-table rebuild, followed by "  PC-109, IGN-<unit version>". Matched: name, date
    // and time, or, when the unit reports an update code, the code, key, serial number, last update
    // and option letters.
    const QString& UnitVersionText() const { return m_unitVersion; }
    const UnitInfoTexts& UnitInfo() const { return m_info; }

private:
    std::string m_compileDate;
    QTimeZone m_zone;
    QString m_buildDate;
    QString m_pcVersion;
    QString m_unitVersion;
    UnitInfoTexts m_info;
    UnitVersionState m_state = UnitVersionState::NotConnected;
    int m_reportedVersion = 0; // the unit's version from the last live-monitor answer
};
