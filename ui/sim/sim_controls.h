// A simulated window system for the dialogs: windows and controls in
// memory that answer dialogs/controls.h as the system's do (an edit whose
// text is set reports the update at once, a minimised window reports its
// move and size, a modal run returns only when its dialog has ended), and
// user actions the tests perform on them. Runs on top of platform/sim,
// beside the simulated screen (sim_front_end.h).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/events.h"

namespace simui {

struct Control {
    bool checked = false;
    bool enabled = true;
    std::string text;
    std::string tip;
    std::vector<std::string> entries;
    int selection = -1;
    // A picture control's pixels, kPictureWidth by kPictureHeight once painted.
    std::vector<uint32_t> pixels;
    int paints = 0;
};

// Every picture control's size in pixels.
constexpr int32_t kPictureWidth = 380;
constexpr int32_t kPictureHeight = 110;

struct Window {
    DialogId dialog;
    WindowHandle owner;
    bool minimised = false;
    bool maximised = false;
    bool visible = false;
    WindowRect rect;  // the normal rectangle, screen coordinates
    std::map<int, Control> controls;
    std::vector<std::string> menu;  // texts of the items added to the window menu
};

struct ChooserRequest {
    WindowHandle owner;
    std::string title;
    std::string file;
    std::string initialDirectory;
    std::string defaultExtension;
};

// Every window gone, the dialogs as at program start; the platform
// simulation (sim::reset) must come first.
void reset();

// Where the system puts a new window of each dialog, and its client area's
// offset from the window's corner.
constexpr WindowRect kSystemPlacement[kDialogCount] = {
    {100, 80, 330, 440}, {140, 140, 450, 180}, {120, 300, 600, 190}, {160, 120, 400, 390}};
constexpr int32_t kClientLeft = 3;
constexpr int32_t kClientTop = 25;

// What the user does while a modal dialog runs: called once the dialog has
// initialised; the run ends when the dialog has, or (the test forgot) when
// this returns.
void onModal(DialogId dialog, std::function<void(WindowHandle)> whileOpen);

// The open window of a dialog, or 0.
WindowHandle windowOf(DialogId dialog);
Window& window(WindowHandle handle);
Control& control(WindowHandle dialog, int id);
bool exists(WindowHandle handle);

// ----- the user
// A button: check boxes change their check first; disabled controls
// ignore the click.
void click(WindowHandle dialog, int id);
// A radio button of a group: it becomes the checked one.
void clickRadio(WindowHandle dialog, int id, const std::vector<int>& group);
void type(WindowHandle dialog, int id, const std::string& text);
void selectEntry(WindowHandle dialog, int id, int index);
// The window becomes active or inactive; it tells whether it is minimised.
void activate(WindowHandle handle, Activation how);
void minimise(WindowHandle handle);
void restore(WindowHandle handle);
void moveTo(WindowHandle handle, int32_t x, int32_t y);
void resize(WindowHandle handle, int32_t width, int32_t height);
// A button pressed on the tray icon.
void trayClick(TrayClick click);

// The next chooser confirms `path`, or is cancelled when `path` is empty.
void answerChooser(const std::string& path);
const std::vector<ChooserRequest>& chooserRequests();

// What the dialogs asked of the window system, in order ("modal 1",
// "show 0 Minimise", "foreground 0", "popup menu", ...).
const std::vector<std::string>& events();
void clearEvents();

}  // namespace simui
