#include "ui/qt/pointer_state.h"

#include <xcb/xcb.h>

#include <QWidget>

#include <cstdlib>

#include "ui/qt/xcb_connection.h"

bool pointerButtonDownOver(const QWidget* window) {
    xcb_connection_t* connection = qtXcbConnection();
    if (!connection || !window || !window->windowHandle()) return false;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, static_cast<xcb_window_t>(window->winId())), nullptr);
    if (!reply) return false;
    const bool down = reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3);
    const bool over = window->frameGeometry().contains(reply->root_x, reply->root_y);
    free(reply);
    return down && over;
}
