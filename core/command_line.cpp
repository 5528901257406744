#include "core/command_line.h"

std::optional<int> LanguageFromCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString& first = arguments.front();
    if (first == QLatin1String("ENGLISH"))
        return 0;
    if (first == QLatin1String("DEUTSCH"))
        return 1;
    if (first == QLatin1String("CESKY"))
        return 2;
    return std::nullopt;
}
