#include "shell/version_texts.h"

#include "platform/text_1250.h"
#include "shell/message_table.h"

#include <QByteArrayView>
#include <QDateTime>

#include <string_view>
#include <utility>

namespace
{

// Byte positions in the unit's information block.
constexpr int kNameChars = 0; // 0..2: three characters of the program name
constexpr int kNameNumber = 3; // a number below 100 after them
constexpr int kBuildDay = 4;
constexpr int kBuildMonthCode = 5;
constexpr int kBuildYear = 6; // within the century
constexpr int kBuildHour = 7;
constexpr int kBuildMinute = 8;
constexpr int kLongName = 16; // 16..45: zero-terminated name replacing bytes 0..3 when byte 16 is set
constexpr int kLongNameSize = 30;
constexpr int kUpdateLetter = 31; // letter in bits 0..6; bit 7 set gives "+", clear gives "_"
constexpr int kUpdateNumbers = 32; // 32..34: three numbers, shown 34, 33, 32
constexpr int kLastUpdate = 35; // 35..38: seconds since 1970, lowest byte first
constexpr int kSerialHex = 39; // shown in hexadecimal after the decimal bytes 46..40
constexpr int kSerialLast = 46;
constexpr int kOptions = 47; // 47..49: option letters
constexpr int kOptionCount = 3;

// A byte as printf takes it for %u and %x.
unsigned At(UnitInfoBlock info, int index)
{
    return info[index];
}

// Erased and never-written fields of the unit read as all zeros or all ones.
bool IsAbsent(uint8_t byte)
{
    return byte == 0 || byte == 0xFF;
}

// One unit character (Windows-1250). A zero byte writes nothing: it would end the text in the unit.
QString UnitChar(uint8_t byte)
{
    if (byte == 0)
        return {};
    const char c = static_cast<char>(byte);
    return FromWindows1250(QByteArrayView(&c, 1));
}

// At least two digits; larger values than the field is meant for are shown whole, not mangled.
QString TwoDigits(unsigned value)
{
    return QString::asprintf("%02u", value);
}

// The decimal number that starts at `pos`, after blanks, as atoi reads it. Outside the text, or
// without digits, it is 0; at most nine digits are taken so the value cannot overflow.
int NumberAt(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    int value = 0;
    for (int digits = 0; pos < text.size() && digits < 9 && text[pos] >= '0' && text[pos] <= '9';
         ++digits, ++pos)
        value = value * 10 + (text[pos] - '0');
    return value;
}

QString UnitName(UnitInfoBlock info)
{
    if (info[kLongName] != 0) {
        // The name need not be terminated inside its 30 bytes; it never runs past them.
        const auto* bytes = reinterpret_cast<const char*>(info.data() + kLongName);
        std::size_t length = 0;
        while (length < kLongNameSize && bytes[length] != 0)
            ++length;
        return FromWindows1250(QByteArrayView(bytes, static_cast<qsizetype>(length)));
    }
    QString name;
    for (int i = 0; i < 3; ++i)
        name += UnitChar(info[kNameChars + i]);
    return name + TwoDigits(info[kNameNumber]);
}

QString UpdateCode(UnitInfoBlock info, const QString& name)
{
    const uint8_t letter = info[kUpdateLetter];
    if (IsAbsent(letter))
        return {};
    if (info[kUpdateNumbers + 2] == 0xFF)
        return name;
    return QString::asprintf("%02u%02u%02u", At(info, kUpdateNumbers + 2), At(info, kUpdateNumbers + 1),
               At(info, kUpdateNumbers))
        + UnitChar(letter & 0x7F) + ((letter & 0x80) ? QStringLiteral("+") : QStringLiteral("_")) + name;
}

QString SerialNumber(UnitInfoBlock info)
{
    if (IsAbsent(info[kSerialHex]))
        return {};
    if (info[kSerialLast] == 0xFF)
        return QStringLiteral("none SN");
    return QString::asprintf("%02u%02u%02u-%02u%02u%02u-%03u%02x", At(info, 46), At(info, 45), At(info, 44),
        At(info, 43), At(info, 42), At(info, 41), At(info, 40), At(info, kSerialHex));
}

QString LastUpdate(UnitInfoBlock info, const QTimeZone& zone)
{
    const uint32_t seconds = uint32_t(info[kLastUpdate]) | uint32_t(info[kLastUpdate + 1]) << 8
        | uint32_t(info[kLastUpdate + 2]) << 16 | uint32_t(info[kLastUpdate + 3]) << 24;
    // Absent only when the whole count is erased. Judging by the lowest byte alone would hide one
    // genuine update time in 128 (1700000000 is 0x6553F100, for one).
    if (seconds == 0 || seconds == 0xFFFFFFFFu)
        return {};
    // The count is signed in the unit: a negative one has no calendar time.
    if (static_cast<int32_t>(seconds) < 0)
        return QStringLiteral("error");
    const QDateTime at = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds), zone);
    const QDate date = at.date();
    const QTime time = at.time();
    return QString::asprintf("(last update: %02d.%02d.%02d-%02d:%02d:%02d)", date.day(), date.month(),
        date.year(), time.hour(), time.minute(), time.second());
}

QString OptionLetters(UnitInfoBlock info)
{
    QString letters;
    bool gap = false;
    for (int i = 0; i < kOptionCount; ++i) {
        const uint8_t byte = info[kOptions + i];
        if (IsAbsent(byte)) {
            gap = true;
            continue;
        }
        if (gap)
            letters += QLatin1Char('~');
        letters += UnitChar(byte);
        gap = false;
    }
    return letters;
}

} // namespace

QString MonthText(uint8_t code)
{
    switch (code) {
    case 25:
        return QStringLiteral(" 1");
    case 13:
        return QStringLiteral(" 2");
    case 32:
        return QStringLiteral(" 3");
    case 35:
        return QStringLiteral(" 4");
    case 39:
        return QStringLiteral(" 5");
    case 45:
        return QStringLiteral(" 6");
    case 43:
        return QStringLiteral(" 7");
    case 29:
        return QStringLiteral(" 8");
    case 40:
        return QStringLiteral(" 9");
    case 38:
        return QStringLiteral("10");
    case 51:
        return QStringLiteral("11");
    case 12:
        return QStringLiteral("12");
    default:
        return QStringLiteral("00");
    }
}

UnitInfoTexts FormatUnitInfoTexts(UnitInfoBlock info, const QTimeZone& zone)
{
    UnitInfoTexts texts;
    texts.name = UnitName(info);
    texts.date = QString::asprintf("%2u.", At(info, kBuildDay)) + MonthText(info[kBuildMonthCode])
        + QStringLiteral(".20") + TwoDigits(info[kBuildYear]);
    texts.time = TwoDigits(info[kBuildHour]) + QLatin1Char(':') + TwoDigits(info[kBuildMinute]);
    texts.updateCode = UpdateCode(info, texts.name);
    texts.serialNumber = SerialNumber(info);
    texts.lastUpdate = LastUpdate(info, zone);
    texts.options = OptionLetters(info);
    return texts;
}

QString BuildDateText(const char* compileDate)
{
    static constexpr const char* kMonths[]
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    const std::string_view text = compileDate ? compileDate : "";
    int month = 0;
    for (int i = 0; i < 12 && month == 0; ++i) {
        if (text.find(kMonths[i]) != std::string_view::npos)
            month = i + 1;
    }
    // "Mmm dd yyyy": the day starts at the fifth character; a one-digit day is blank-padded, so the
    // year starts one character earlier than after a two-digit day.
    const int day = NumberAt(text, 4);
    const int year = NumberAt(text, day <= 9 ? 6 : 7);
    return QString::asprintf("%i_%02i_%02i", year, month, day);
}

VersionTexts::VersionTexts(const char* compileDate, QTimeZone zone)
    : m_compileDate(compileDate ? compileDate : "")
    , m_zone(std::move(zone))
{
}

void VersionTexts::ParseBuildDate()
{
    m_buildDate = BuildDateText(m_compileDate.c_str());
    m_pcVersion.clear();
    m_unitVersion.clear();
    m_state = UnitVersionState::NotConnected;
    m_reportedVersion = 0;
}

void VersionTexts::FormatPcVersion()
{
    m_pcVersion = QString::fromLatin1(kProgramName) + QStringLiteral("   RSKEY=") + QString::number(kRsKey)
        + QStringLiteral("   COMPILE=") + m_buildDate;
}

void VersionTexts::FormatUnitVersion()
{
    static const QString kGap = QStringLiteral("   ");
    switch (m_state) {
    case UnitVersionState::NotConnected:
        m_unitVersion = QStringLiteral("not connected");
        return;
    case UnitVersionState::Unmatched:
        m_unitVersion = MessageText(kMessageUnmatchedUnitVersion)
            + QStringLiteral("  PC-%1, IGN-%2").arg(kRsKey).arg(m_reportedVersion);
        return;
    case UnitVersionState::Matched:
        // Built by concatenation: unit texts may hold '%' and must not be taken for placeholders.
        if (m_info.updateCode.isEmpty())
            m_unitVersion = m_info.name + kGap + m_info.date + kGap + m_info.time;
        else
            m_unitVersion = m_info.updateCode + QStringLiteral("   RSKEY=") + QString::number(kRsKey)
                + QStringLiteral("   (") + m_info.serialNumber + QStringLiteral(")   ") + m_info.lastUpdate
                + kGap + m_info.options;
        return;
    }
}

void VersionTexts::FormatUnitInfo(UnitInfoBlock info)
{
    m_info = FormatUnitInfoTexts(info, m_zone);
}

void VersionTexts::SetUnitVersion(int unitVersion)
{
    m_reportedVersion = unitVersion;
    m_state = unitVersion == kRsKey ? UnitVersionState::Matched : UnitVersionState::Unmatched;
}
