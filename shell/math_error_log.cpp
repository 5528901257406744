#include "shell/math_error_log.h"

#include "shell/event_log.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <limits>

LocalTime SystemLocalTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return { date.day(), date.month(), date.year(), time.hour(), time.minute(), time.second() };
}

QByteArray FormatMathErrorLine(const LocalTime& time, int programVersion, const QByteArray& function)
{
    return QStringLiteral("<LOG TIME=%1.%2.%3 %4:%5:%6 ORVA2008_v%7: MATHERR ")
               .arg(time.day)
               .arg(time.month)
               .arg(time.year)
               .arg(time.hour)
               .arg(time.minute)
               .arg(time.second)
               .arg(programVersion)
               .toLatin1()
        + function + ">\n";
}

MathErrorLog::MathErrorLog(QString path, int programVersion, Clock clock, DebugSink debug)
    : m_path(std::move(path))
    , m_programVersion(programVersion)
    , m_clock(std::move(clock))
    , m_debug(debug ? std::move(debug) : DebugSink(WriteDebugOutput))
{
}

double MathErrorLog::Report(MathErrorKind kind, const QByteArray& function, double proposed)
{
    const QByteArray line = FormatMathErrorLine(m_clock(), m_programVersion, function);
    // Opened and closed for each line, and written in one call: several threads and several runs
    // append to the same file.
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        file.write(line);
    m_debug(function);
    if (kind == MathErrorKind::Domain && function == "sqrt")
        return 1.0;
    return proposed;
}

double CheckedSqrt(double value, MathErrorLog& log)
{
    if (value < 0.0)
        return log.Report(MathErrorKind::Domain, "sqrt", std::numeric_limits<double>::quiet_NaN());
    return std::sqrt(value);
}
