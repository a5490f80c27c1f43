// Plays the kiosk application inside a test process: a TKorvaneFrm form with a
// VistalyneWindowClass window in the layout a test asks for, recording what it receives.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ReceivedCopyData {
    HWND receiver;
    WPARAM sender;
    ULONG_PTR identifier;
    DWORD byteCount;
    std::string bytes;  // the cbData bytes
    // Whether a NUL follows them; known only for a sender in this process, since the
    // platform copies just cbData bytes between processes.
    bool nulFollows;
};

class FakeKiosk {
public:
    FakeKiosk();
    ~FakeKiosk();
    FakeKiosk(const FakeKiosk&) = delete;
    FakeKiosk& operator=(const FakeKiosk&) = delete;

    HWND CreateForm();
    HWND CreateTarget(HWND parent);  // null parent: a top-level target
    HWND CreateWindowOfClass(const wchar_t* className, HWND parent);

    const std::vector<ReceivedCopyData>& Received() const;
    // Runs inside the target's handling of each WM_COPYDATA, before it returns.
    void OnReceive(std::function<void(const ReceivedCopyData&)> handler);

    static void Send(HWND receiver, ULONG_PTR identifier, const std::string& bytes);

private:
    std::vector<HWND> windows;
};
