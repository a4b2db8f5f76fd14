#include "files/meter_geometry.h"

#include <cstdint>

int MeterFillWidth(int width, int position, int total)
{
    if (total <= 0)
        return 0;
    if (position > total)
        position = total;
    if (position < 0)
        position = 0;
    return static_cast<int>(static_cast<std::int64_t>(width - 2) * position / total);
}

int MeterTickCount(int total) { return total > 0 ? total / 10 + 1 : 0; }

int MeterTickX(int left, int width, int index, int total)
{
    return static_cast<int>(static_cast<std::int64_t>(width - 2) * index * 10 / total) + left + 1;
}
