// Writes the generated seeds of the fuzz corpora: frames of every protocol made by our own builders,
// in the input layouts of the two frame targets, a few stored blocks and settings texts, and a
// parameter file of the default block. The committed .ign samples are copied in as they are.
//
// Usage: fuzz_make_seeds <corpus folder> <samples folder>

#include "link/frame_format.h"
#include "params/bike_presets.h"
#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "shell/settings_block_file.h"
#include "shell/settings_escape.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

// Positions in the frame targets' protocol table.
constexpr std::uint8_t kIndexWcom = 0;
constexpr std::uint8_t kIndexWcoms = 1;
constexpr std::uint8_t kIndexIgn50 = 2;
constexpr std::uint8_t kIndexIgn100 = 3;
constexpr std::uint8_t kIndexIgn150 = 4;
constexpr std::uint8_t kIndexIgn300 = 5;

constexpr int kRsKeyValue = 109;

bool g_failed = false;

void Write(const QString& folder, const char* name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    QFile file(folder + u'/' + QString::fromLatin1(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        g_failed = true;
    }
}

QByteArray ToArray(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Ign(int dataSize, int code, const Bytes& data, int key = 0)
{
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildIgnFrame(frame, dataSize, code, 0, data.empty() ? nullptr : data.data(), key));
    return frame;
}

Bytes Wcom(int commandAndFlags, int address, const Bytes& data)
{
    Bytes frame(kFrameBufferSize);
    frame.resize(BuildWcomFrame(frame, commandAndFlags, address, static_cast<int>(data.size()), data.data()));
    return frame;
}

Bytes Ramp(int size, int first)
{
    Bytes data(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i);
    return data;
}

// An identification reply of the WCOM family: name, NUL, frame size, hardware code and version.
Bytes WcomIdentification(bool sum)
{
    Bytes data = { 'T', 'A', 'R', 'V', 'O', '-', 'X', 0 };
    for (const int word : { 128, 7, 109 }) {
        data.push_back(static_cast<std::uint8_t>(word & 0xFF));
        data.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return Wcom(kWcomIdentify | kWcomReplyFlag | (sum ? kWcomSumFlag : 0), 0, data);
}

Bytes IgnIdentification(int dataSize)
{
    Bytes data(static_cast<std::size_t>(dataSize));
    if (dataSize == 300) {
        data[1] = 0x00;
        data[2] = kRsKeyValue;
    }
    return Ign(dataSize, kIgnIdentifyReply, data, dataSize == 300 ? 0 : kRsKeyValue);
}

void RawSeeds(const QString& folder)
{
    const auto seed = [&](const char* name, std::uint8_t protocol, std::uint8_t arrival, const Bytes& line) {
        Write(folder, name, ToArray(Concat({ { protocol, arrival }, line })));
    };
    Bytes request(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, IGN50, kRsKeyValue));
    seed("ign50_identification_request", kIndexIgn50, 0x3F, request);
    seed("ign50_identification_reply", kIndexIgn50, 0x3F, IgnIdentification(50));
    seed("ign50_two_reads_in_small_pieces", kIndexIgn50, 0x02,
        Concat({ Ign(50, 0xC1, Ramp(50, 0x10)), Ign(50, 0xC2, Ramp(50, 0x60)) }));
    seed("ign50_echo_then_reply", kIndexIgn50, 0x3F,
        Concat({ Ign(50, 0x41, {}), Ign(50, 0xC1, Ramp(50, 0)) }));
    seed("ign100_identification_reply", kIndexIgn100, 0x3F, IgnIdentification(100));
    seed("ign150_read_reply", kIndexIgn150, 0x3F, Ign(150, 0xC1, Ramp(150, 3)));
    seed("ign300_identification_reply", kIndexIgn300, 0x3F, IgnIdentification(300));
    seed("ign50_reply_cut_by_pause", kIndexIgn50, 0x80 | 0x05, Ign(50, 0xB0, Ramp(50, 0x22)));

    request.resize(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, WCOM, 0));
    seed("wcom_identification_request", kIndexWcom, 0x3F, request);
    seed("wcom_identification_reply", kIndexWcom, 0x3F, WcomIdentification(false));
    seed("wcom_read_reply_after_noise", kIndexWcom, 0x07,
        Concat({ { 0x00, 0xA5, 0xFF, 0xFF, 0x5A, 0xFF, 0xFF },
            Wcom(0x7010 | kWcomReplyFlag, 0x20, Ramp(32, 0xF0)) }));
    seed("wcom_short_replies", kIndexWcom, 0x3F,
        Concat({ Wcom(0xFFFF | kWcomReplyFlag, 0x7020, { 0x34, 0x12 }),
            Wcom(0xFFFE | kWcomReplyFlag, 0x7020, { 0x05 }) }));
    seed("wcom_longest_frame", kIndexWcom, 0x3F, Wcom(0x7010 | kWcomReplyFlag, 0, Ramp(512, 0)));
    // A length field of 1280 cannot fit the receive buffer: parsing starts over after 1040 bytes and
    // must still find the frame behind them.
    Bytes oversized = Wcom(0x7010 | kWcomReplyFlag, 0, {});
    oversized.resize(kWcomDataOffset);
    oversized[kWcomLengthOffset + 1] = 0x05;
    seed("wcom_oversized_length_then_frame", kIndexWcom, 0x3F,
        Concat({ oversized, Ramp(kFrameBufferSize, 0), Wcom(0x7010 | kWcomReplyFlag, 0x20, Ramp(8, 0)) }));
    request.resize(kFrameBufferSize);
    request.resize(BuildIdentificationRequest(request, WCOMS, 0));
    seed("wcoms_identification_request", kIndexWcoms, 0x3F, request);
    seed("wcoms_identification_reply", kIndexWcoms, 0x3F, WcomIdentification(true));
    seed("wcoms_odd_and_even_lengths", kIndexWcoms, 0x0A,
        Concat({ Wcom(0x7010 | kWcomReplyFlag | kWcomSumFlag, 0x20, Ramp(33, 0xF0)),
            Wcom(0x7010 | kWcomReplyFlag | kWcomSumFlag, 0x40, Ramp(32, 0x10)) }));
    seed("no_protocol", 6, 0x3F, Ign(50, 0xC1, Ramp(50, 0)));
}

void RepairSeeds(const QString& folder)
{
    // Delivery bytes after the description: no mutation, one copy and no noise, whole pieces, no pause.
    const Bytes whole = { 0, 0, 255, 0 };
    const Bytes twoCopiesInPieces = { 0, 1, 16, 125 };
    const auto seed = [&](const char* name, const Bytes& description, const Bytes& delivery) {
        Write(folder, name, ToArray(Concat({ description, delivery })));
    };
    for (const auto& [name, index, size] :
        { std::tuple { "ign50", kIndexIgn50, 50 }, std::tuple { "ign100", kIndexIgn100, 100 },
            std::tuple { "ign150", kIndexIgn150, 150 }, std::tuple { "ign300", kIndexIgn300, 300 } }) {
        // Protocol, base, offset, key word, data.
        const Bytes reply = Concat({ { index, 0xC0, 0x01, 0, 0 }, Ramp(size, 0x40) });
        seed((std::string(name) + "_read_reply").c_str(), reply, whole);
        seed((std::string(name) + "_identification_in_pieces").c_str(),
            Concat(
                { { index, kIgnIdentifyReply, 0, kRsKeyValue, 0 }, Bytes(static_cast<std::size_t>(size)) }),
            twoCopiesInPieces);
    }
    // Protocol, flags, command, address and length words, data.
    seed("wcom_read_reply", Concat({ { kIndexWcom, 2, 0x10, 0x70, 0x20, 0, 32, 0 }, Ramp(32, 0xF0) }), whole);
    seed("wcoms_odd_reply_in_pieces",
        Concat({ { kIndexWcoms, 3, 0x10, 0x70, 0x20, 0, 33, 0 }, Ramp(33, 0xF0) }), twoCopiesInPieces);
    seed("wcom_short_reply", { kIndexWcom, 2, 0xFF, 0xFF, 0x20, 0x70, 2, 0, 0x34, 0x12 }, whole);
    seed("wcoms_identification_request", { kIndexWcoms, 1, 0xEE, 0xFE, 0, 0, 0, 0 }, whole);
    // One byte of the data changed, checks made right again, after 20 bytes of noise.
    seed("wcom_mutated_after_noise", Concat({ { kIndexWcom, 2, 0x50, 0x70, 0, 0, 8, 0 }, Ramp(8, 1) }),
        Concat({ { 1, 15, 0, 0x5A, 40, 7, 3 }, Bytes(20, 0xFF) }));
}

void BlockFileSeeds(const QString& folder)
{
    StoredBlock block {};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 37 % 256);
    Write(folder, "formatted_block", FormatBlockFile(block));
    Write(folder, "short_and_crlf", "  12 0 255\r\n 7 300\r\n");
    Write(folder, "stops_at_a_word", "1 2 3 x 4 5\n");
    Write(folder, "long_number", "99999999999999999999999 1\n");
}

void StoredValueSeeds(const QString& folder)
{
    Write(folder, "settings_file",
        "[BASIC]\nLeft=10\nTop=20\nFile=C:\\\\Bikes\\\\\\x0159.ign\nIniFileDir=\\\\server\\share\n"
        "History0=/home/rider/a b.ign\n\n[PORTS]\nCOM7=/dev/pts/3\n");
    Write(
        folder, "comments_and_stray_lines", "; comment\r\n[basic]\r\nfile = /tmp/x \r\n[\r\nstray\r\n=x\r\n");
    Write(folder, "drive_path", "C:\\Users\\x.ign");
    Write(folder, "escaped_wide", QByteArray("C:\\\\D\\x00edly\\\\\\x0159.ign"));
    Write(folder, "broken_escapes", "/a\\x01\\xZZZZb\\y015a\\");
    Write(folder, "latin1_path", "/home/\xe9t\xe9/\xa0x\x85.ign");
    const QString wide = QString::fromUtf8("/home/rider/モーター/😀.ign");
    Write(folder, "utf16_path",
        QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * qsizetype(sizeof(char16_t))));
    Write(folder, "escaped_by_us", EscapePath(QString::fromUtf8("C:\\Users\\Jiří\\\tx")).toLatin1());
}

void ParameterFileSeeds(const QString& folder, const QString& samples)
{
    for (const QString& name :
        QDir(samples).entryList({ QStringLiteral("*.ign") }, QDir::Files, QDir::Name)) {
        QFile::remove(folder + u'/' + name);
        if (!QFile::copy(samples + u'/' + name, folder + u'/' + name)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(name));
            g_failed = true;
        }
    }
    ParameterBlock block;
    block[ParamIndex::kBike] = kBikeTwoStrokeSem;
    SetDefaults(block);
    NormalizeParameters(block);
    Write(folder, "default_two_stroke.ign", WriteParameterFile(block, ParameterFileInfo()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <samples folder>\n", argv[0]);
        return 2;
    }
    const QString corpus = QString::fromLocal8Bit(argv[1]);
    RawSeeds(corpus + QStringLiteral("/frame_raw"));
    RepairSeeds(corpus + QStringLiteral("/frame_repair"));
    QDir().mkpath(corpus + QStringLiteral("/ign_file"));
    ParameterFileSeeds(corpus + QStringLiteral("/ign_file"), QString::fromLocal8Bit(argv[2]));
    BlockFileSeeds(corpus + QStringLiteral("/block_file"));
    StoredValueSeeds(corpus + QStringLiteral("/stored_values"));
    return g_failed ? 1 : 0;
}
