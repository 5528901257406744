#include "sim/sim_options.h"

#include <QHash>

#include <limits>

namespace {

// Reads a whole number in decimal, or hexadecimal after 0x, within minimum..maximum.
bool Integer(const QString& text, qint64 minimum, qint64 maximum, qint64& value)
{
    bool ok = false;
    value = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
    return ok && value >= minimum && value <= maximum;
}

bool Rate(const QString& text, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= 0.0 && value <= 1.0;
}

// "109" or "109.00": version and sub-version.
bool Version(const QString& text, int& version, int& subVersion)
{
    const QStringList parts = text.split(u'.');
    qint64 major = 0;
    qint64 minor = 0;
    if (parts.size() > 2 || !Integer(parts[0], 0, 255, major) || (parts.size() == 2 && !Integer(parts[1], 0, 99, minor)))
        return false;
    version = static_cast<int>(major);
    subVersion = static_cast<int>(minor);
    return true;
}

bool InputMode(const QString& text, int& mode)
{
    static const QHash<QString, int> kModes = { { QStringLiteral("auto"), -1 }, { QStringLiteral("open"), 0 },
        { QStringLiteral("grounded"), 1 } };
    const auto found = kModes.find(text.toLower());
    if (found == kModes.end())
        return false;
    mode = found.value();
    return true;
}

bool PrintableAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

struct Parser {
    SimOptions& options;
    QString& error;
    bool baudGiven = false;
    bool wrongKey = false;

    bool Bad(const QString& option, const QString& value, const char* expected)
    {
        error = QStringLiteral("%1: '%2' is not %3").arg(option, value, QString::fromLatin1(expected));
        return false;
    }

    // Handles an option that takes a value.
    bool WithValue(const QString& option, const QString& value)
    {
        UnitConfig& unit = options.unit;
        qint64 number = 0;
        if (option == "--protocol") {
            unit.protocol = ProtocolFromName(value.toStdString());
            return unit.protocol != 0 || Bad(option, value, "one of WCOM, WCOMS, IGN50, IGN100, IGN150, IGN300");
        }
        if (option == "--baud") {
            baudGiven = true;
            unit.baudRate = Integer(value, 1, 4000000, number) ? static_cast<int>(number) : -1;
            return unit.baudRate > 0 || Bad(option, value, "a baud rate");
        }
        if (option == "--seed") {
            bool ok = false;
            unit.seed = value.toULongLong(&ok, 0);
            return ok || Bad(option, value, "a whole number");
        }
        if (option == "--memory") {
            options.memoryFile = value;
            return !value.isEmpty() || Bad(option, value, "a file name");
        }
        if (option == "--map-com") {
            options.mapCom = Integer(value, 1, 255, number) ? static_cast<int>(number) : 0;
            return options.mapCom != 0 || Bad(option, value, "a COM number 1..255");
        }
        if (option == "--key") {
            unit.key = Integer(value, 1, 255, number) ? static_cast<int>(number) : 0;
            return unit.key != 0 || Bad(option, value, "a key 1..255");
        }
        if (option == "--unit-version")
            return Version(value, unit.information.version, unit.information.subVersion)
                || Bad(option, value, "a version like 109 or 109.00");
        if (option == "--name") {
            unit.wcomName = value.toStdString();
            return (!value.isEmpty() && value.size() <= kUnitNameMax && PrintableAscii(value))
                || Bad(option, value, "a name of 1..31 plain characters");
        }
        if (option == "--long-name") {
            unit.information.longName = value.toStdString();
            return (value.size() <= kMaxLongNameLength && PrintableAscii(value))
                || Bad(option, value, "a name of at most 14 plain characters");
        }
        if (option == "--frame-size") {
            unit.wcomFrameSize = Integer(value, kWcomOverhead + 1, kWcomOverhead + kWcomMaxData, number) ? static_cast<int>(number) : 0;
            return unit.wcomFrameSize != 0 || Bad(option, value, "a frame size 17..528");
        }
        if (option == "--hardware") {
            unit.hardwareCode = Integer(value, 0, 0xFFFF, number) ? static_cast<int>(number) : -1;
            return unit.hardwareCode >= 0 || Bad(option, value, "a hardware code 0..0xFFFF");
        }
        if (option == "--serial")
            return ParseSerialNumber(value.toStdString(), unit.information.serial)
                || Bad(option, value, "a serial number like 240314-000001-00723");
        if (option == "--rpm") {
            unit.engine.fixedRpm = Integer(value, 0, 30000, number) ? static_cast<int>(number) : -1;
            return unit.engine.fixedRpm >= 0 || Bad(option, value, "a speed 0..30000");
        }
        if (option == "--input1")
            return InputMode(value, unit.engine.input1) || Bad(option, value, "auto, open or grounded");
        if (option == "--input2")
            return InputMode(value, unit.engine.input2) || Bad(option, value, "auto, open or grounded");
        if (option == "--hour-meter") {
            const bool ok = Integer(value, 0, 0xFFFFFF, number);
            unit.engine.hourMeterMinutes = static_cast<std::uint32_t>(number);
            return ok || Bad(option, value, "a number of minutes 0..16777215");
        }
        if (option == "--corrupt")
            return Rate(value, unit.faults.corruptRate) || Bad(option, value, "a rate 0..1");
        if (option == "--drop")
            return Rate(value, unit.faults.dropRate) || Bad(option, value, "a rate 0..1");
        if (option == "--corrupt-requests")
            return Rate(value, unit.faults.requestCorruptRate) || Bad(option, value, "a rate 0..1");
        if (option == "--drop-requests")
            return Rate(value, unit.faults.requestDropRate) || Bad(option, value, "a rate 0..1");
        if (option == "--slow") {
            unit.faults.replyDelayMs = Integer(value, 0, 60000, number) ? static_cast<int>(number) : -1;
            return unit.faults.replyDelayMs >= 0 || Bad(option, value, "a delay 0..60000 ms");
        }
        if (option == "--unplug-after") {
            unit.faults.unplugAfterReplies = Integer(value, 0, std::numeric_limits<int>::max(), number) ? static_cast<int>(number) : -1;
            return unit.faults.unplugAfterReplies >= 0 || Bad(option, value, "a number of replies");
        }
        error = QStringLiteral("unknown option %1").arg(option);
        return false;
    }
};

const QStringList kValueOptions = { "--protocol", "--baud", "--seed", "--memory", "--map-com", "--key", "--unit-version",
    "--name", "--long-name", "--frame-size", "--hardware", "--serial", "--rpm", "--input1", "--input2", "--hour-meter",
    "--corrupt", "--drop", "--corrupt-requests", "--drop-requests", "--slow", "--unplug-after" };

// Options without a value, each with what it sets.
struct SwitchOption {
    const char* name;
    void (*apply)(Parser&);
};
const SwitchOption kSwitches[] = {
    { "--help", [](Parser& p) { p.options.help = true; } },
    { "-h", [](Parser& p) { p.options.help = true; } },
    { "--quiet", [](Parser& p) { p.options.quiet = true; } },
    { "--any-baud", [](Parser& p) { p.baudGiven = true; p.options.unit.baudRate = 0; } },
    { "--long-replies", [](Parser& p) { p.options.unit.wcomShortReplies = false; } },
    { "--ac", [](Parser& p) { p.options.unit.engine.acSupply = true; } },
    { "--negative-pickup", [](Parser& p) { p.options.unit.engine.pickupNegative = true; } },
    { "--silent", [](Parser& p) { p.options.unit.faults.silent = true; } },
    { "--echo", [](Parser& p) { p.options.unit.faults.echo = true; } },
    { "--wrong-key", [](Parser& p) { p.wrongKey = true; } },
    { "--data-error", [](Parser& p) { p.options.unit.faults.dataError = true; } },
    { "--lose-first", [](Parser& p) { p.options.unit.faults.loseFirstAttempt = true; } },
};

const SwitchOption* FindSwitch(const QString& option)
{
    for (const SwitchOption& candidate : kSwitches)
        if (option == QLatin1String(candidate.name))
            return &candidate;
    return nullptr;
}

} // namespace

bool ParseSimOptions(const QStringList& arguments, SimOptions& options, QString& error)
{
    options = SimOptions();
    Parser parser { options, error };
    for (int i = 0; i < arguments.size(); ++i) {
        QString option = arguments[i];
        QString value;
        bool hasValue = false;
        const int equals = option.indexOf(u'=');
        if (option.startsWith(QStringLiteral("--")) && equals > 0) {
            value = option.mid(equals + 1);
            option = option.left(equals);
            hasValue = true;
        }
        if (kValueOptions.contains(option)) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    error = QStringLiteral("%1 needs a value").arg(option);
                    return false;
                }
                value = arguments[++i];
            }
            if (!parser.WithValue(option, value))
                return false;
            continue;
        }
        const SwitchOption* found = FindSwitch(option);
        if (!found) {
            error = QStringLiteral("unknown option %1").arg(option);
            return false;
        }
        if (hasValue) {
            error = QStringLiteral("%1 takes no value").arg(option);
            return false;
        }
        found->apply(parser);
    }
    if (!parser.baudGiven)
        options.unit.baudRate = DefaultBaudRate(options.unit.protocol);
    if (parser.wrongKey) {
        // One less than the PC's key, in the identification and in the information block alike.
        options.unit.key = kRsKey - 1;
        options.unit.information.version = kRsKey - 1;
    }
    return true;
}

QString SimUsage()
{
    return QStringLiteral(R"(Usage: velmor-sim [options]

Simulates a Tarvo-X ignition unit on a pseudo-terminal. The first line printed is the device
to open (for example /dev/pts/7); messages about the PC opening and closing it follow on stderr.
The unit runs until it gets SIGINT or SIGTERM. SIGUSR1 pulls the cable out and plugs it back in.

The unit:
  --protocol NAME      WCOM, WCOMS, IGN50, IGN100, IGN150 or IGN300 (default IGN50)
  --baud N             the speed the unit listens at; what the PC sends at another speed is
                       noise to it (default 57600, 115200 for IGN300)
  --any-baud           answer at whatever speed the PC opened the port
  --seed N             seed of the virtual engine and the faults (default 1)
  --memory FILE        keep parameter memory, programming counter and hour meter in FILE
                       between runs (saved after every programming and at the end)
  --map-com N          enter the device as COM N in the [PORTS] section of Velmor's
                       application.ini, so Velmor finds the unit; the entry is removed at the end
  --key N              the key the unit identifies with, 1..255 (default 109)
  --unit-version V.SS  program version in the information block (default 109.00)
  --serial TEXT        serial number, e.g. 240314-000001-00723
  --long-name TEXT     program name of up to 14 characters in the information block
  --name TEXT          WCOM: the name in the identification reply (default Tarvo-X)
  --frame-size N       WCOM: the largest frame the unit takes, 17..528 (default 48)
  --hardware N         WCOM: hardware code (default 0x0321)
  --long-replies       WCOM: confirm writes and commands in the full form, not the short one

The engine behind the monitor:
  --rpm N              hold the engine at N RPM (0: stopped) instead of letting it idle,
                       rev and stall on its own
  --input1 MODE        multifunction input 1: auto (grounded now and then), open or grounded
  --input2 MODE        the same for input 2
  --hour-meter MIN     minutes already on the hour meter (default 754)
  --ac                 the unit is fed by the generator (AC) instead of a battery (DC)
  --negative-pickup    the pickup's polarity is negative

Faults:
  --corrupt RATE       chance per byte sent to the PC that it arrives changed (0..1)
  --drop RATE          chance per byte sent to the PC that it is lost (0..1)
  --corrupt-requests RATE  chance per byte the PC sends that the unit hears it changed (0..1)
  --drop-requests RATE     chance per byte the PC sends that the unit never hears it (0..1)
  --slow MS            every reply leaves MS milliseconds late
  --silent             hear everything, answer nothing
  --echo               no unit, a loop-back plug: every byte sent comes straight back
  --wrong-key          identify with key 108 and report version 108.00
  --data-error         report an error in the programmed data
  --lose-first         every request is lost the first time; its repeat gets through
  --unplug-after N     after N replies the cable is out (SIGUSR1 plugs it back in)

  --quiet              print only the device path
  -h, --help           this text
)");
}
