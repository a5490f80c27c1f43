// Owner of a file handle from CreateFileW, closed on every way out.
#pragma once

#include <windows.h>

class ScopedFile {
public:
    explicit ScopedFile(HANDLE handle) : handle(handle) {}
    ~ScopedFile() { Close(); }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }
    void Close() {
        if (IsOpen()) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle;  // CreateFileW reports failure as INVALID_HANDLE_VALUE, not as null
};
