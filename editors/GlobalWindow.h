#pragma once

#include <QPointer>

// A window that exists once, as a global instance: loaded on first use, unloaded when it closes or when its
// caller unloads it. The window class defines its own Load (which makes and loads it); the instance
// pointer clears itself when the window is deleted, by its caller or with its owner.
template <class Window>
class GlobalWindow
{
public:
    static Window *instance() { return s_window.data(); }
    // Deletes the loaded window, if any; the next Load starts from a fresh one.
    static void Unload() { delete s_window.data(); }

protected:
    static inline QPointer<Window> s_window;
};
