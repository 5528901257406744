#include "fuzz/properties.h"

#include "link/ccom.h"
#include "link/ccomframe.h"
#include "link/frame_format.h"
#include "link/link_log.h"
#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "shell/settings_block_file.h"
#include "shell/settings_escape.h"
#include "shell/settings_ini.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

// The search table's default gap timeout, in ms of the link clock.
constexpr int kGapTimeoutMs = 125;

constexpr std::array<int, 7> kProtocols = { WCOM, WCOMS, IGN50, IGN100, IGN150, IGN300, PROTOCOL_NONE };
// The protocols a frame can be built for.
constexpr std::size_t kFrameProtocolCount = 6;

// Hands out the input's bytes in order; past its end every read gives 0, so that every input is a
// complete description.
class ByteReader
{
public:
    explicit ByteReader(FuzzInput input)
        : m_input(input)
    {
    }

    std::uint8_t Byte() { return m_at < m_input.size() ? m_input[m_at++] : 0; }
    int Word()
    {
        const int low = Byte();
        return low | Byte() << 8;
    }
    Bytes Take(std::size_t count)
    {
        Bytes bytes(count);
        for (std::uint8_t& byte : bytes)
            byte = Byte();
        return bytes;
    }
    FuzzInput Rest() const { return m_input.subspan(std::min(m_at, m_input.size())); }

private:
    FuzzInput m_input;
    std::size_t m_at = 0;
};

std::string Hex(const std::uint8_t* bytes, std::size_t count)
{
    std::string text;
    char hex[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, "%02x ", bytes[i]);
        text += hex;
    }
    return text;
}

// ---------------------------------------------------------------------------------------------------
// Frames

// What a frame that passed its check looks like once the codec has it: WCOM frames get the
// short-reply rewrites, IGN frames stay as they came.
Bytes AsReceived(int protocol, Bytes frame)
{
    if (IsWcomProtocol(protocol))
        ApplyShortReplyRewrites(frame.data());
    return frame;
}

// Whether the whole frame passes the checks of its family, including the size of an IGN frame.
bool PassesCheck(int protocol, const Bytes& frame)
{
    const int size = static_cast<int>(frame.size());
    if (IsIgnProtocol(protocol))
        return size == IgnDataSize(protocol) + kIgnOverhead && IgnFrameValid(frame.data(), size);
    return IsWcomProtocol(protocol) && WcomFrameValid(frame.data(), size);
}

// Whether the codec must accept this whole frame when it arrives on a resynchronised line: it
// passes its check, and IGN frames start with a reply command byte (requests are passed over).
bool MustAccept(int protocol, const Bytes& frame)
{
    return PassesCheck(protocol, frame) && (!IsIgnProtocol(protocol) || (frame[0] & kIgnReplyBit) != 0);
}

// A codec reading one port record's ring, with a copy of every byte put into the ring, so that each
// frame the codec reports can be held against the stretch of the line it came from.
class ReceiveBench
{
public:
    explicit ReceiveBench(int protocol)
        : m_protocol(protocol)
    {
        m_codec.Reset(protocol, kGapTimeoutMs);
    }

    // Puts the bytes into the ring in pieces of at most `piece` bytes, as a port thread would, and
    // lets the codec take each piece whole, with a pause of `pauseMs` after each.
    void Feed(FuzzInput bytes, int piece, int pauseMs)
    {
        std::size_t at = 0;
        while (at < bytes.size() && m_violation.empty()) {
            const RingSpans room = m_port.FreeSpans();
            const int n = static_cast<int>(std::min<std::size_t>(
                { bytes.size() - at, std::size_t(piece), std::size_t(room.first + room.second) }));
            const int stored = m_port.StoreReceived(bytes.data() + at, n);
            if (stored != n) {
                Fail("the ring took " + std::to_string(stored) + " of " + std::to_string(n) + " bytes");
                return;
            }
            m_line.insert(m_line.end(), bytes.begin() + at, bytes.begin() + at + n);
            at += n;
            Drain();
            m_clock.Advance(pauseMs);
        }
    }

    void Pause(int ms) { m_clock.Advance(ms); }

    // Lets the codec take everything in the ring; a WCOM frame that failed its check makes Receive
    // return early, so it is called until the ring is empty.
    void Drain()
    {
        while (!m_port.ReceiveEmpty() && m_violation.empty()) {
            if (m_codec.Receive(m_port))
                OnFrame();
        }
        if (m_violation.empty() && m_codec.Counters().frames.load() != m_frames.size())
            Fail("the frame counter says " + std::to_string(m_codec.Counters().frames.load()) + " frames, "
                + std::to_string(m_frames.size()) + " were reported");
    }

    const std::vector<Bytes>& Frames() const { return m_frames; }
    const std::string& Violation() const { return m_violation; }

private:
    void Fail(const std::string& what)
    {
        if (m_violation.empty())
            m_violation = std::string(ProtocolName(m_protocol)) + ": " + what;
    }

    std::size_t Consumed() const
    {
        const int inRing = (m_port.WriteIndex() - m_port.ReadIndex() + kRingSize) % kRingSize;
        return m_line.size() - static_cast<std::size_t>(inRing);
    }

    void OnFrame()
    {
        const int length = m_codec.FrameLength();
        const std::size_t end = Consumed();
        if (!IsIgnProtocol(m_protocol) && !IsWcomProtocol(m_protocol)) {
            Fail("a frame was reported without a protocol");
            return;
        }
        if (length <= 0 || length > kFrameBufferSize || static_cast<std::size_t>(length) > end) {
            Fail("frame length " + std::to_string(length) + " after " + std::to_string(end) + " bytes");
            return;
        }
        const Bytes stretch(m_line.begin() + (end - length), m_line.begin() + end);
        if (!MustAccept(m_protocol, stretch)) {
            Fail("accepted a frame that fails its check: " + Hex(stretch.data(), stretch.size()));
            return;
        }
        const Bytes received(m_codec.Frame(), m_codec.Frame() + length);
        if (received != AsReceived(m_protocol, stretch)) {
            Fail("the frame differs from the bytes it came from: " + Hex(received.data(), received.size()));
            return;
        }
        // The readers of the identification reply take the frame as the codec hands it on; an exact
        // copy lets the address sanitizer see any read past its end.
        UnitIdentity identity;
        if (IsIgnProtocol(m_protocol))
            ParseIgnIdentification(received.data(), m_protocol, identity);
        else
            ParseWcomIdentification(received.data(), identity);
        m_frames.push_back(received);
    }

    const int m_protocol;
    LinkClock m_clock;
    LinkLog m_log;
    CCOM m_port { 1, m_clock, m_log };
    CCOMFRAME m_codec;
    Bytes m_line;
    std::vector<Bytes> m_frames;
    std::string m_violation;
};

constexpr int kRingCapacity = kRingSize - 1;

void PutWord(std::uint8_t* at, int value)
{
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Makes the check bytes at the end of the frame right for its contents again, as a sender would
// compute them. A WCOM frame whose type byte names no check is left as it is.
void RepairCheck(int protocol, Bytes& frame)
{
    const int size = static_cast<int>(frame.size());
    if (IsIgnProtocol(protocol)) {
        frame[size - 1] = IgnXor(frame.data(), size - 1);
        return;
    }
    const int checkAt = size - 2;
    switch (frame[kWcomTypeOffset] & 0xF0) {
    case kWcomTypeCrc:
        PutWord(frame.data() + checkAt, WcomCrc(frame.data(), checkAt));
        break;
    case kWcomTypeSum: {
        // The two check bytes complete the word sum to 0xFFFF; which of them is the low byte depends
        // on the parity of their offset.
        const std::uint16_t rest = static_cast<std::uint16_t>(~WordSum(frame.data(), checkAt));
        if (checkAt % 2 == 0) {
            PutWord(frame.data() + checkAt, rest);
        } else {
            frame[checkAt] = static_cast<std::uint8_t>(rest >> 8);
            frame[checkAt + 1] = static_cast<std::uint8_t>(rest & 0xFF);
        }
        break;
    }
    default:
        break;
    }
}

// The frame the input describes, built with the codec's builders.
// IGN: base, offset, key word, then the N data bytes.
// WCOM: flags (bit 0 sum check, bit 1 reply, bit 2 other reply), command word, address word, length
// word modulo 530 (the builder clamps it to 512), then the data bytes.
Bytes BuildDescribedFrame(ByteReader& in, int protocol)
{
    Bytes frame(kFrameBufferSize);
    int size = 0;
    if (IsIgnProtocol(protocol)) {
        const int base = in.Byte();
        const int offset = in.Byte();
        const int key = in.Word();
        const Bytes data = in.Take(static_cast<std::size_t>(IgnDataSize(protocol)));
        size = BuildIgnFrame(frame, IgnDataSize(protocol), base, offset, data.data(), key);
    } else {
        const int flags = in.Byte();
        const int command = in.Word();
        const int address = in.Word();
        const int length = in.Word() % 530;
        const Bytes data = in.Take(static_cast<std::size_t>(length));
        const int commandAndFlags = command | ((flags & 1) ? kWcomSumFlag : 0)
            | ((flags & 2) ? kWcomReplyFlag : 0) | ((flags & 4) ? kWcomOtherReplyFlag : 0);
        size = BuildWcomFrame(frame, commandAndFlags, address, length, data.data());
    }
    frame.resize(static_cast<std::size_t>(size));
    return frame;
}

} // namespace

std::string CheckRawReceive(FuzzInput input)
{
    ByteReader in(input);
    const int protocol = kProtocols[in.Byte() % kProtocols.size()];
    const std::uint8_t arrival = in.Byte();
    const int piece = 1 + (arrival & 0x3F) * 5;
    const int pauses[] = { 0, kGapTimeoutMs, kGapTimeoutMs + 1, kGapTimeoutMs / 2 };
    ReceiveBench bench(protocol);
    bench.Feed(in.Rest(), piece, pauses[arrival >> 6]);
    return bench.Violation();
}

// Layout of the input: protocol byte (modulo 6: WCOM, WCOMS, IGN50, IGN100, IGN150, IGN300); the
// frame description (BuildDescribedFrame); a mutation count (modulo 4) and per mutation a position
// word and an XOR byte; the delivery byte (bit 0: two copies, bits 1..7: noise length); the piece
// size byte; the pause byte (pause between pieces, modulo the gap timeout + 1); the noise bytes.
std::string CheckRepairedFrame(FuzzInput input)
{
    ByteReader in(input);
    const int protocol = kProtocols[in.Byte() % kFrameProtocolCount];
    Bytes frame = BuildDescribedFrame(in, protocol);
    if (frame.empty())
        return std::string(ProtocolName(protocol)) + ": the builder made no frame";

    if (!PassesCheck(protocol, frame))
        return std::string(ProtocolName(protocol))
            + ": a built frame fails its own check: " + Hex(frame.data(), frame.size());

    const int mutations = in.Byte() % 4;
    for (int i = 0; i < mutations; ++i) {
        const std::size_t at = static_cast<std::size_t>(in.Word()) % frame.size();
        frame[at] ^= in.Byte();
    }
    RepairCheck(protocol, frame);

    const std::uint8_t delivery = in.Byte();
    const int copies = 1 + (delivery & 1);
    const int piece = 1 + in.Byte();
    const int pause = in.Byte() % (kGapTimeoutMs + 1);
    const Bytes noise = in.Take(delivery >> 1);

    ReceiveBench bench(protocol);
    bench.Feed(noise, kRingCapacity, 0);
    // A pause longer than the gap timeout: whatever the noise left half parsed is dropped.
    bench.Pause(kGapTimeoutMs + 1);
    const std::size_t framesBefore = bench.Frames().size();
    for (int copy = 0; copy < copies; ++copy)
        bench.Feed(frame, piece, pause);
    if (!bench.Violation().empty())
        return bench.Violation();
    if (!MustAccept(protocol, frame))
        return {};

    const std::size_t got = bench.Frames().size() - framesBefore;
    if (got != static_cast<std::size_t>(copies))
        return std::string(ProtocolName(protocol)) + ": " + std::to_string(copies) + " valid frames sent, "
            + std::to_string(got) + " received: " + Hex(frame.data(), frame.size());
    const Bytes expected = AsReceived(protocol, frame);
    for (std::size_t i = framesBefore; i < bench.Frames().size(); ++i) {
        if (bench.Frames()[i] != expected)
            return std::string(ProtocolName(protocol)) + ": a valid frame came back changed";
    }
    return {};
}

// ---------------------------------------------------------------------------------------------------
// Parameter file

namespace
{

// Unit texts like the ones the window saves: spaces, digits, a tab and a Windows-1250 letter.
ParameterFileInfo SampleFileInfo()
{
    ParameterFileInfo info;
    info.unitProgramDate = QStringLiteral(" 5. 4.2025");
    info.unitProgramTime = QStringLiteral("09:03");
    info.unitProgramVersion = QString::fromUtf8("TRX09 zkušební");
    info.buildDate = QStringLiteral("Apr 24 2025");
    info.buildTime = QStringLiteral("15:34:55");
    info.unitInformation = { QStringLiteral("250203A+TRX09"), QStringLiteral("RSKEY=109"),
        QStringLiteral("080706-050403-0121a"), QStringLiteral("(last update: 24.04.2025-15:30:00)"),
        QStringLiteral("A~C") };
    info.powerSource = 1;
    return info;
}

std::string DescribeBlocks(const ParameterBlock& expected, const ParameterBlock& got)
{
    for (int i = 0; i < ParameterBlock::kSize; ++i) {
        if (expected[i] != got[i])
            return "byte " + std::to_string(i) + " is " + std::to_string(got[i]) + ", expected "
                + std::to_string(expected[i]);
    }
    return "blocks equal";
}

std::string CheckNormalisedRoundTrip(ParameterBlock block)
{
    NormalizeParameters(block);
    ParameterBlock twice = block;
    NormalizeParameters(twice);
    if (twice != block)
        return "normalising twice differs from once: " + DescribeBlocks(block, twice);

    const QByteArray file = WriteParameterFile(block, SampleFileInfo());
    // Every byte the file carries is read into a block that held something else; the bytes the file
    // does not carry are the block's own.
    ParameterBlock back = block;
    for (int i = 0; i < ParamIndex::kFirstUnused; ++i)
        back[i] = static_cast<std::uint8_t>(~block[i]);
    const ParameterFileResult result = ReadParameterFile(file, back);
    if (result.status != ParameterFileStatus::Current || result.version != kParameterFileVersion)
        return "a written file does not read as the current format";
    NormalizeParameters(back);
    if (back != block)
        return "written and read back: " + DescribeBlocks(block, back);
    return {};
}

} // namespace

std::string CheckParameterFile(FuzzInput input)
{
    ParameterBlock block;
    std::copy_n(
        input.begin(), std::min<std::size_t>(input.size(), ParameterBlock::kSize), block.bytes.begin());
    if (std::string violation = CheckNormalisedRoundTrip(block); !violation.empty())
        return "block from the input: " + violation;

    // The window reads files into its working block, which is always normalised.
    NormalizeParameters(block);
    ReadParameterFile(
        QByteArrayView(reinterpret_cast<const char*>(input.data()), qsizetype(input.size())), block);
    if (std::string violation = CheckNormalisedRoundTrip(block); !violation.empty())
        return "block read from the input: " + violation;
    return {};
}

// ---------------------------------------------------------------------------------------------------
// Stored block

std::string CheckBlockFile(FuzzInput input)
{
    const QByteArray text(reinterpret_cast<const char*>(input.data()), qsizetype(input.size()));
    StoredBlock before;
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<std::uint8_t>(i * 7 + 3);
    StoredBlock block = before;
    const int count = ParseBlockFile(text, block);
    if (count < 0 || count > int(block.size()))
        return "parsing set " + std::to_string(count) + " values";
    for (std::size_t i = std::size_t(count); i < block.size(); ++i) {
        if (block[i] != before[i])
            return "byte " + std::to_string(i) + " changed though only " + std::to_string(count)
                + " values were read";
    }

    const QByteArray formatted = FormatBlockFile(block);
    StoredBlock back {};
    const int countBack = ParseBlockFile(formatted, back);
    if (countBack != int(block.size()) || back != block)
        return "the formatted block parses back differently (" + std::to_string(countBack) + " values)";
    if (FormatBlockFile(back) != formatted)
        return "formatting the block again gives another text";
    return {};
}

// ---------------------------------------------------------------------------------------------------
// Settings values

namespace
{

const QString kSections[] = { QStringLiteral("BASIC"), QStringLiteral("PORTS") };

std::string Printable(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" /:.").toStdString();
}

std::string CheckDocumentReadsBack(const QByteArray& text)
{
    IniDocument document;
    document.Parse(text);
    IniDocument again;
    again.Parse(document.Serialize());
    for (const QString& section : kSections) {
        const QStringList keys = document.Keys(section);
        if (again.Keys(section) != keys)
            return "section " + section.toStdString() + " has other keys after writing and reading back";
        for (const QString& key : keys) {
            const std::optional<QString> value = document.Value(section, key);
            if (again.Value(section, key) != value)
                return "value of " + Printable(key) + " changed by writing and reading back";
            if (UnescapePath(*value).size() > kMaxStoredPathLength)
                return "the value of " + Printable(key) + " unescapes beyond the path limit";
        }
    }
    return {};
}

std::string CheckPathReadsBack(QString path)
{
    // Paths never hold NUL, and an escaped NUL is dropped on reading on purpose.
    path.remove(QChar(u'\0'));
    path.truncate(kMaxStoredPathLength);
    const QString escaped = EscapePath(path);
    if (UnescapePath(escaped) != path)
        return "path " + Printable(path) + " unescapes differently from " + Printable(escaped);

    IniDocument written;
    written.SetString(QStringLiteral("BASIC"), QStringLiteral("File"), escaped);
    IniDocument read;
    read.Parse(written.Serialize());
    const QString back = UnescapePath(read.String(QStringLiteral("BASIC"), QStringLiteral("File")));
    if (back != path)
        return "path " + Printable(path) + " reads back from a settings file as " + Printable(back);
    return {};
}

} // namespace

std::string CheckStoredValues(FuzzInput input)
{
    const QByteArray text(reinterpret_cast<const char*>(input.data()), qsizetype(input.size()));
    if (std::string violation = CheckDocumentReadsBack(text); !violation.empty())
        return violation;
    if (UnescapePath(QString::fromLatin1(text)).size() > kMaxStoredPathLength)
        return "an unescaped value exceeds the path limit";

    std::u16string units(input.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(input[2 * i] | input[2 * i + 1] << 8);
    for (const QString& path :
        { QString::fromLatin1(text), QString::fromUtf8(text), QString::fromStdU16String(units) }) {
        if (std::string violation = CheckPathReadsBack(path); !violation.empty())
            return violation;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------------

std::span<const FuzzTarget> FuzzTargets()
{
    static constexpr FuzzTarget kTargets[] = {
        { "frame_raw", CheckRawReceive },
        { "frame_repair", CheckRepairedFrame },
        { "ign_file", CheckParameterFile },
        { "block_file", CheckBlockFile },
        { "stored_values", CheckStoredValues },
    };
    return kTargets;
}

void StopOnViolation(const std::string& violation)
{
    if (violation.empty())
        return;
    std::fprintf(stderr, "property violated: %s\n", violation.c_str());
    std::fflush(stderr);
    __builtin_trap();
}
