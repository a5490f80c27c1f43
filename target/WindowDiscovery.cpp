#include "target/WindowDiscovery.h"

#include <cstring>

namespace {

constexpr char kFormWindowClass[] = "TKorvaneFrm";
constexpr char kTargetWindowClass[] = "VistalyneWindowClass";
constexpr int kClassNameBufferLength = 128;

BOOL CollectWindowOfClass(HWND window, LPARAM list, const char* expected) noexcept {
    char className[kClassNameBufferLength];
    const int length = GetClassNameA(window, className, kClassNameBufferLength);
    if (length > 0 && IsClassName(className, length, expected)) {
        try {
            reinterpret_cast<WindowHandleList*>(list)->push_back(window);
        } catch (...) {
            return FALSE;  // out of memory: stop rather than unwind through the platform
        }
    }
    return TRUE;
}

// EnumChildWindows with a null parent visits nothing under Wine; EnumWindows is what it
// stands for on Windows, so the top-level case goes there on both.
void EnumerateUnder(HWND parent, WNDENUMPROC callback, WindowHandleList& list) {
    const auto parameter = reinterpret_cast<LPARAM>(&list);
    if (parent == nullptr) {
        (void)EnumWindows(callback, parameter);  // an empty list is the answer on failure
    } else {
        (void)EnumChildWindows(parent, callback, parameter);
    }
}

}  // namespace

bool IsClassName(const char* className, int length, const char* expected) {
    const size_t expectedLength = std::strlen(expected);
    return length >= 0 && static_cast<size_t>(length) == expectedLength &&
           std::memcmp(className, expected, expectedLength) == 0;
}

BOOL CALLBACK CollectFormWindows(HWND window, LPARAM list) noexcept {
    return CollectWindowOfClass(window, list, kFormWindowClass);
}

BOOL CALLBACK CollectTargetWindows(HWND window, LPARAM list) noexcept {
    return CollectWindowOfClass(window, list, kTargetWindowClass);
}

WindowHandleList TargetWindowsUnder(HWND parent) {
    WindowHandleList targets;
    EnumerateUnder(parent, CollectTargetWindows, targets);
    return targets;
}

bool FindTargetWindows(HWND& formWindow, HWND& targetWindow) {
    formWindow = nullptr;
    targetWindow = nullptr;
    WindowHandleList candidates;
    (void)EnumWindows(CollectFormWindows, reinterpret_cast<LPARAM>(&candidates));
    candidates.push_back(nullptr);  // last resort: a target that is a top-level window itself
    for (HWND candidate : candidates) {
        const WindowHandleList targets = TargetWindowsUnder(candidate);
        if (!targets.empty()) {
            formWindow = candidate;
            targetWindow = targets.front();
            return true;
        }
    }
    return false;
}
