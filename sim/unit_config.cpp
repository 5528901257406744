#include "sim/unit_config.h"

#include <algorithm>
#include <cctype>

int DefaultBaudRate(int protocol)
{
    return protocol == IGN300 ? 115200 : 57600;
}

int ProtocolFromName(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (int protocol : { WCOM, WCOMS, IGN50, IGN100, IGN150, IGN300 })
        if (upper == ProtocolName(protocol))
            return protocol;
    return 0;
}
