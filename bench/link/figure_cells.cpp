#include "bench/link/figure_cells.h"

#include <algorithm>

namespace
{

template <typename T> T Median(std::vector<T>& sorted)
{
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

} // namespace

QString TickCell(std::vector<int> values)
{
    std::erase_if(values, [](int value) { return value < 0; });
    if (values.empty())
        return QStringLiteral("failed");
    std::sort(values.begin(), values.end());
    // With an even count the median is the mean of the two middle runs, rounded down to a whole tick.
    QString cell = QString::number(Median(values));
    if (values.front() != values.back())
        cell += QStringLiteral(" [%1-%2]").arg(values.front()).arg(values.back());
    return cell;
}

QString MsCell(std::vector<double> values, int decimals)
{
    std::erase_if(values, [](double value) { return value < 0; });
    if (values.empty())
        return QStringLiteral("failed");
    std::sort(values.begin(), values.end());
    QString cell = QString::number(Median(values), 'f', decimals);
    // Real time always wobbles a little; a range is worth showing only past a millisecond.
    if (values.back() - values.front() >= 1.0)
        cell += QStringLiteral(" [%1-%2]")
                    .arg(values.front(), 0, 'f', decimals)
                    .arg(values.back(), 0, 'f', decimals);
    return cell;
}
