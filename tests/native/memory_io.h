// A text in memory as the converter's input, and a string as its output.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

struct Memory {
    const char* data;
    std::size_t left;
    static std::size_t Read(void* c, char* buffer, std::size_t size, bool* failed)
    {
        auto* m = static_cast<Memory*>(c);
        const std::size_t n = size < m->left ? size : m->left;
        std::memcpy(buffer, m->data, n);
        m->data += n;
        m->left -= n;
        *failed = false;
        return n;
    }
    static bool Write(void* c, const char* data, std::size_t size)
    {
        static_cast<std::string*>(c)->append(data, size);
        return true;
    }
};
