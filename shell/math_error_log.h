#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Errors of floating-point math calls: each one is appended to a log file ("IGN.err" in the current
// directory) as one line, and a negative square root gives 1.0 instead of NaN so that a drawing or a
// computed value never turns into NaN. Call sites that can fail go through this log (see CheckedSqrt).

enum class MathErrorKind { Domain = 1, Singularity, Overflow, Underflow, TotalLoss, PartialLoss };

struct LocalTime {
    int day = 1;
    int month = 1; // 1 to 12
    int year = 2000;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalTime SystemLocalTime();

// "<LOG TIME=d.m.yyyy h:m:s ORVA2008_v<version>: MATHERR <function>>\n", numbers without leading zeros.
QByteArray FormatMathErrorLine(const LocalTime& time, int programVersion, const QByteArray& function);

class MathErrorLog
{
public:
    using Clock = std::function<LocalTime()>;
    using DebugSink = std::function<void(const QByteArray&)>;

    static constexpr const char* kDefaultPath = "IGN.err";

    MathErrorLog(QString path, int programVersion, Clock clock = SystemLocalTime, DebugSink debug = {});

    // Logs one error and returns the result to use: 1.0 for a domain error of "sqrt", else `proposed`.
    // A log file that cannot be opened loses the line and nothing else.
    double Report(MathErrorKind kind, const QByteArray& function, double proposed);

private:
    QString m_path;
    int m_programVersion;
    Clock m_clock;
    DebugSink m_debug;
};

// The square root, with a negative argument reported to `log` and answered with 1.0.
double CheckedSqrt(double value, MathErrorLog& log);
