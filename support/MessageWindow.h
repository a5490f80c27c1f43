// A hidden message-only window that routes its messages to a table of handlers by message id.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

class MessageWindow {
public:
    explicit MessageWindow(HINSTANCE instance) noexcept;
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Replaces any handler for the id; an empty handler removes the entry, so every stored
    // entry stays callable.
    void SetHandler(UINT message, MessageHandler handler);

    HWND Handle() const { return windowHandle; }

    friend LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) noexcept;

private:
    HWND windowHandle = nullptr;
    // The window's creation parameter is the address of this field: the procedure finds the
    // object through it, so the object must never move while the window exists.
    MessageWindow* self = nullptr;
    std::map<UINT, MessageHandler> handlers;
};

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept;

// True once a MessageWindow of this process has registered the window class.
bool IsMessageWindowClassRegistered();
