#include "sim/gauges.h"

#include <stdexcept>
#include <string>

#include "sim/basin.h"

void checkGauge(const Basin& basin, int x, int y)
{
    const std::string place = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    if (x < 0 || x >= basin.width() || y < 0 || y >= basin.height())
        throw std::invalid_argument("gauge " + place + " is outside the basin (0.." + std::to_string(basin.width() - 1) +
                                    ", 0.." + std::to_string(basin.height() - 1) + ")");
    if (basin.walls[size_t(basin.cellIndex(x, y))] != 0)
        throw std::invalid_argument("gauge " + place + " is in a wall");
}

void recordGauges(Basin& basin)
{
    GaugeLog& log = basin.gaugeLog;
    if (basin.gauges.empty() || log.every <= 0 || basin.steps % uint64_t(log.every) != 0)
        return;
    log.steps.push_back(basin.steps);
    for (const Gauge& g : basin.gauges)
        log.h.push_back(basin.h[size_t(basin.cellIndex(g.x, g.y))]);
}
