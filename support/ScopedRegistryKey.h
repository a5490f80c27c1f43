// Owner of an opened registry key, closed on every way out.
#pragma once

#include <windows.h>

class ScopedRegistryKey {
public:
    ScopedRegistryKey() = default;
    ~ScopedRegistryKey() {
        if (key != nullptr) RegCloseKey(key);
    }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;
    HKEY Get() const { return key; }
    // Registry calls report failure in their return code and leave the key untouched.
    HKEY* Receive() { return &key; }

private:
    HKEY key = nullptr;
};
