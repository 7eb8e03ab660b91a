/* The least a title changing once a second can cost the X server and the
 * window manager: one window, put away at start, its _NET_WM_NAME replaced
 * once a second and nothing else; no events selected. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

int main(void) {
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) return 1;
    xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t w = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, s->root, 0, 0, 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      s->root_visual, 0, NULL);
    const uint32_t hints[9] = {2 /* StateHint */, 0, 3 /* IconicState */};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    const xcb_atom_t name = atom(c, "_NET_WM_NAME"), utf8 = atom(c, "UTF8_STRING");
    xcb_map_window(c, w);
    xcb_flush(c);
    for (;;) {
        char title[64];
        time_t now = time(NULL);
        strftime(title, sizeof title, "57%% 0s E%H:%M:%S R0:00:00 %H:%M:%S", localtime(&now));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, name, utf8, 8, (uint32_t)strlen(title), title);
        xcb_flush(c);
        if (xcb_connection_has_error(c)) return 0;
        sleep(1);
    }
}
