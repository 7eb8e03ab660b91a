#pragma once

#include <QGuiApplication>

// The X connection Qt talks through; null off X (offscreen, Wayland).
inline xcb_connection_t* qtXcbConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
