#include "support/MessageWindow.h"

#include <utility>

namespace {

constexpr wchar_t kMessageWindowClass[] = L"Message_Window_Class";

bool classRegistered = false;

void RegisterMessageWindowClass(HINSTANCE instance) {
    classRegistered = true;  // once per process, whatever the registration returns
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MessageWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kMessageWindowClass;
    (void)RegisterClassExW(&windowClass);  // a failure leaves the window uncreated, nothing more
}

}  // namespace

bool IsMessageWindowClassRegistered() {
    return classRegistered;
}

MessageWindow::MessageWindow(HINSTANCE instance) noexcept : self(this) {
    if (!classRegistered) RegisterMessageWindowClass(instance);
    windowHandle = CreateWindowExW(0, kMessageWindowClass, kMessageWindowClass, 0, 0, 0, 0, 0,
                                   HWND_MESSAGE, nullptr, nullptr, &self);
}

MessageWindow::~MessageWindow() {
    // The window goes first: WM_DESTROY and WM_NCDESTROY still find the handler table.
    if (windowHandle != nullptr) (void)DestroyWindow(windowHandle);
}

void MessageWindow::SetHandler(UINT message, MessageHandler handler) {
    if (handler) {
        handlers[message] = std::move(handler);
    } else {
        handlers.erase(message);
    }
}

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const LONG_PTR userData = GetWindowLongPtrW(window, GWLP_USERDATA);
    if (userData == 0) return DefWindowProcW(window, message, wParam, lParam);  // before WM_CREATE
    MessageWindow* object = *reinterpret_cast<MessageWindow* const*>(userData);
    const auto entry = object->handlers.find(message);
    if (entry == object->handlers.end()) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return entry->second(wParam, lParam);
    } catch (...) {
        return 0;  // nothing may unwind through the system's frames
    }
}
