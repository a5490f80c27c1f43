#include "tests/support/FakeKiosk.h"

#include <algorithm>

#include "tests/support/TestWindowClass.h"

namespace {

std::vector<ReceivedCopyData> received;
std::function<void(const ReceivedCopyData&)> onReceive;

LRESULT CALLBACK KioskProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(data->lpData);
        DWORD senderProcess = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &senderProcess);
        const bool local = senderProcess == GetCurrentProcessId();
        ReceivedCopyData copy{window,
                              wParam,
                              data->dwData,
                              data->cbData,
                              bytes != nullptr ? std::string(bytes, data->cbData) : "",
                              local && bytes != nullptr && bytes[data->cbData] == '\0'};
        received.push_back(copy);
        if (onReceive) onReceive(copy);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

FakeKiosk::FakeKiosk() {
    received.clear();
    onReceive = nullptr;
}

FakeKiosk::~FakeKiosk() {
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (IsWindow(*window)) DestroyWindow(*window);
    }
    onReceive = nullptr;
}

HWND FakeKiosk::CreateWindowOfClass(const wchar_t* className, HWND parent) {
    RegisterTestWindowClass(className, KioskProc);  // again for each kiosk: harmless
    HWND window = CreateWindowExW(0, className, L"", parent != nullptr ? WS_CHILD : WS_POPUP, 0, 0,
                                  50, 50, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    windows.push_back(window);
    return window;
}

HWND FakeKiosk::CreateForm() {
    return CreateWindowOfClass(L"TKorvaneFrm", nullptr);
}

HWND FakeKiosk::CreateTarget(HWND parent) {
    return CreateWindowOfClass(L"VistalyneWindowClass", parent);
}

const std::vector<ReceivedCopyData>& FakeKiosk::Received() const {
    return received;
}

void FakeKiosk::OnReceive(std::function<void(const ReceivedCopyData&)> handler) {
    onReceive = std::move(handler);
}

void FakeKiosk::Send(HWND receiver, ULONG_PTR identifier, const std::string& bytes) {
    std::string buffer = bytes;
    COPYDATASTRUCT data{};
    data.dwData = identifier;
    data.cbData = static_cast<DWORD>(buffer.size());
    data.lpData = buffer.empty() ? nullptr : &buffer[0];
    SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
