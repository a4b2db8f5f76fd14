#include "app/cmdline.h"

#include <cstring>

bool ParseCommandLine(const char* commandLine, char* path, std::size_t pathSize)
{
    if (pathSize == 0)
        return false;
    path[0] = 0;
    if (!commandLine)
        return true;
    const char* begin = commandLine;
    std::size_t length = std::strlen(commandLine);
    if (begin[0] == '"') {
        ++begin;
        const char* close = std::strchr(begin, '"');
        length = close ? static_cast<std::size_t>(close - begin) : std::strlen(begin);
    }
    if (length >= pathSize)
        return false;
    std::memcpy(path, begin, length);
    path[length] = 0;
    return true;
}
