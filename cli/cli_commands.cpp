#include "cli/cli_commands.h"

#include "cli/exit_codes.h"
#include "cli/settings_listing.h"
#include "cli/unit_session.h"
#include "params/normalize_parameters.h"
#include "params/parameter_file.h"
#include "shell/rskey.h"

#include <QStringList>

#include <set>

namespace {

class CommandRun
{
public:
    CommandRun(const CliOptions& options, CliEnvironment& environment)
        : m_options(options)
        , m_env(environment)
    {
    }

    int Run()
    {
        switch (m_options.command) {
        case CliCommand::Ports:
            return Ports();
        case CliCommand::Convert:
            return Convert();
        case CliCommand::Show:
            return Show();
        case CliCommand::Read:
        case CliCommand::Program:
        case CliCommand::Verify:
        case CliCommand::Reset:
        case CliCommand::Monitor:
            return UnitCommand();
        case CliCommand::None:
            break;
        }
        Error(QStringLiteral("no command given"));
        return CliExit::kUsage;
    }

private:
    void Out(const QString& text) { m_env.out(text.toUtf8()); }
    void OutBytes(const QByteArray& bytes) { m_env.out(bytes); }
    // Errors are shown even with --quiet; progress is not.
    void Error(const QString& text) { m_env.err((QStringLiteral("velmor-cli: ") + text + QLatin1Char('\n')).toUtf8()); }
    void Progress(const QString& text)
    {
        if (!m_options.quiet)
            m_env.err((text + QLatin1Char('\n')).toUtf8());
    }

    int Ports()
    {
        std::vector<PortListEntry> present;
        if (!m_env.portList || !m_env.portList->List(present)) {
            Error(QStringLiteral("the system's serial ports could not be listed"));
            return CliExit::kFailed;
        }
        std::set<int> listed;
        for (const PortListEntry& entry : present) {
            Out(QStringLiteral("COM%1\t%2\tpresent\n").arg(entry.number).arg(entry.devicePath));
            listed.insert(entry.number);
        }
        for (const auto& [number, path] : m_env.mappedPorts)
            if (!listed.contains(number))
                Out(QStringLiteral("COM%1\t%2\tabsent\n").arg(number).arg(path));
        return CliExit::kOk;
    }

    // Loads and normalises the file of the command; an exit code other than kOk when it is unusable.
    int LoadFile(ParameterBlock& block)
    {
        SetDefaults(block);
        const ParameterFileResult result = LoadParameterFile(m_options.file, block);
        switch (result.status) {
        case ParameterFileStatus::Current:
            break;
        case ParameterFileStatus::Older:
            Progress(QStringLiteral("%1: older file version %2, converted").arg(m_options.file).arg(result.version));
            break;
        case ParameterFileStatus::Unmatched:
            Error(QStringLiteral("%1: unmatched version of the settings file").arg(m_options.file));
            return CliExit::kFileError;
        case ParameterFileStatus::NoHeader:
            Error(QStringLiteral("%1: not a settings file").arg(m_options.file));
            return CliExit::kFileError;
        case ParameterFileStatus::CannotOpen:
        case ParameterFileStatus::TooLarge:
        case ParameterFileStatus::ReadError:
            Error(QStringLiteral("%1: open file error").arg(m_options.file));
            return CliExit::kFileError;
        }
        if (!result.Accepted()) {
            Error(QStringLiteral("%1: not a settings file").arg(m_options.file));
            return CliExit::kFileError;
        }
        NormalizeParameters(block);
        return CliExit::kOk;
    }

    // Writes the block as a current settings file to -o, or to standard output.
    int WriteFile(const ParameterBlock& block, const ParameterFileInfo& info)
    {
        if (m_options.output.isEmpty()) {
            OutBytes(WriteParameterFile(block, info));
            return CliExit::kOk;
        }
        if (!SaveParameterFile(m_options.output, block, info)) {
            Error(QStringLiteral("%1: the file could not be written").arg(m_options.output));
            return CliExit::kFailed;
        }
        Progress(QStringLiteral("written: %1").arg(m_options.output));
        return CliExit::kOk;
    }

    static ParameterFileInfo FileInfo(const VersionTexts* versions)
    {
        ParameterFileInfo info;
        info.buildDate = QString::fromLatin1(__DATE__);
        info.buildTime = QString::fromLatin1(__TIME__);
        if (versions) {
            const UnitInfoTexts& unit = versions->UnitInfo();
            info.unitProgramVersion = unit.name;
            info.unitProgramDate = unit.date;
            info.unitProgramTime = unit.time;
            info.unitInformation = { unit.updateCode, QStringLiteral("RSKEY=%1").arg(kRsKey), unit.serialNumber,
                unit.lastUpdate, unit.options };
        }
        return info;
    }

    int Convert()
    {
        ParameterBlock block;
        if (const int code = LoadFile(block); code != CliExit::kOk)
            return code;
        return WriteFile(block, FileInfo(nullptr));
    }

    int Show()
    {
        ParameterBlock block;
        if (const int code = LoadFile(block); code != CliExit::kOk)
            return code;
        Out(ListSettings(block));
        return CliExit::kOk;
    }

    static int ExitOf(SessionResult result)
    {
        switch (result) {
        case SessionResult::Ok:
            return CliExit::kOk;
        case SessionResult::Failed:
            return CliExit::kFailed;
        case SessionResult::NoUnit:
            return CliExit::kNoUnit;
        case SessionResult::UnitMismatch:
            return CliExit::kUnitMismatch;
        case SessionResult::VerifyError:
            return CliExit::kVerifyError;
        case SessionResult::ReadingRefused:
            return CliExit::kReadingRefused;
        }
        return CliExit::kFailed;
    }

    int UnitCommand()
    {
        ParameterBlock fileBlock;
        if (m_options.command == CliCommand::Program || m_options.command == CliCommand::Verify)
            if (const int code = LoadFile(fileBlock); code != CliExit::kOk)
                return code;

        UnitSession::Options sessionOptions;
        sessionOptions.portList = m_env.portList;
        sessionOptions.serialFactory = m_env.serialFactory;
        sessionOptions.port = m_options.portGiven ? m_options.port : std::max(m_env.savedPort, 0);
        sessionOptions.pause = m_env.pause;
        sessionOptions.progress = [this](const QString& text) { Progress(text); };
        UnitSession session(std::move(sessionOptions));

        Progress(QStringLiteral("Looking for the unit..."));
        SessionResult result = session.WaitConnected(m_options.timeoutSeconds);
        if (result == SessionResult::NoUnit) {
            Error(QStringLiteral("no unit found within %1 s").arg(m_options.timeoutSeconds));
            return CliExit::kNoUnit;
        }
        if (result == SessionResult::UnitMismatch) {
            Error(QStringLiteral("the unit's program version does not match this program"));
            return CliExit::kUnitMismatch;
        }
        Progress(QStringLiteral("Unit on COM%1").arg(session.ConnectedPort()));

        switch (m_options.command) {
        case CliCommand::Read:
            result = session.Read();
            if (result == SessionResult::Ok)
                return WriteFile(session.Block(), FileInfo(&session.Versions()));
            break;
        case CliCommand::Program:
            result = session.Program(fileBlock);
            break;
        case CliCommand::Verify:
            result = session.Verify(fileBlock);
            break;
        case CliCommand::Reset:
            result = session.Reset();
            break;
        case CliCommand::Monitor:
            // The monitor texts depend on the unit's settings (configured inputs, limiters).
            if (session.Read() != SessionResult::Ok)
                Progress(QStringLiteral("The unit's settings could not be read; the monitor assumes the defaults."));
            result = session.Monitor(m_options.monitorSeconds, [this](const MonitorView& view) {
                QStringList texts;
                for (const MonitorLabel& label : view.labels)
                    if (label.visible && label.enabled && !QString::fromLatin1(label.name).startsWith(QLatin1String("LabelTest")))
                        texts << label.text;
                Out(texts.join(QLatin1String(" | ")) + QLatin1Char('\n'));
            });
            break;
        default:
            break;
        }
        const int code = ExitOf(result);
        switch (result) {
        case SessionResult::Ok:
            break;
        case SessionResult::VerifyError:
            Error(QStringLiteral("the unit's settings differ from the file's"));
            break;
        case SessionResult::ReadingRefused:
            Error(QStringLiteral("the unit refuses to be read"));
            break;
        case SessionResult::UnitMismatch:
            Error(QStringLiteral("the unit's program version does not match this program"));
            break;
        default:
            Error(QStringLiteral("the operation failed"));
            break;
        }
        return code;
    }

    const CliOptions& m_options;
    CliEnvironment& m_env;
};

} // namespace

int RunCliCommand(const CliOptions& options, CliEnvironment& environment)
{
    return CommandRun(options, environment).Run();
}
