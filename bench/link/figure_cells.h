#pragma once

#include <QString>

#include <vector>

// Table cells for figures of repeated runs: the median, followed by [lowest-highest] when the runs
// differ. Failed runs are left out; with none left the cell is "failed".
QString TickCell(std::vector<int> values);
// `decimals` places after the point.
QString MsCell(std::vector<double> values, int decimals = 0);
