// Byte strings as hex dumps ("1B 24 42"), the form the tests compare
// Shift-JIS texts in.
#pragma once

#include <cstdio>
#include <string>

inline std::string Hex(const std::string& bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        if (!out.empty())
            out += ' ';
        out += buf;
    }
    return out;
}

// Bytes from a hex dump such as "1B 24 42".
inline std::string Unhex(const char* hex)
{
    std::string out;
    unsigned v;
    int n;
    while (std::sscanf(hex, " %2x%n", &v, &n) == 1) {
        out += static_cast<char>(v);
        hex += n;
    }
    return out;
}
