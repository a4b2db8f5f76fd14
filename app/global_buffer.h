// A movable global memory block, locked while it is held and released on
// every way out of the operation that obtained it.
#pragma once

#include <windows.h>

class GlobalBuffer {
public:
    GlobalBuffer() = default;
    explicit GlobalBuffer(SIZE_T size) { Allocate(size); }
    ~GlobalBuffer() { Release(); }
    GlobalBuffer(const GlobalBuffer&) = delete;
    GlobalBuffer& operator=(const GlobalBuffer&) = delete;

    bool Allocate(SIZE_T size)
    {
        Release();
        block_ = GlobalAlloc(GMEM_MOVEABLE, size);
        if (block_)
            data_ = static_cast<char*>(GlobalLock(block_));
        return data_ != NULL;
    }
    // Resizes the block; on failure the old block stays, locked again.
    bool Grow(SIZE_T size)
    {
        GlobalUnlock(block_);
        HGLOBAL grown = GlobalReAlloc(block_, size, GMEM_MOVEABLE);
        if (grown)
            block_ = grown;
        data_ = static_cast<char*>(GlobalLock(block_));
        return grown != NULL && data_ != NULL;
    }
    void Release()
    {
        if (block_) {
            if (data_)
                GlobalUnlock(block_);
            GlobalFree(block_);
        }
        block_ = NULL;
        data_ = NULL;
    }
    char* get() const { return data_; }
    explicit operator bool() const { return data_ != NULL; }

private:
    HGLOBAL block_ = NULL;
    char* data_ = NULL;
};
