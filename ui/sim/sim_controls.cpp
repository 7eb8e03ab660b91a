#include "ui/sim/sim_controls.h"

#include <cstring>

#include "app/file_chooser_setup.h"
#include "base/text_util.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_dialog.h"
#include "platform/sim/sim_platform.h"

namespace simui {
namespace {

constexpr uint32_t kTemplateStyles[kDialogCount] = {0x10C80040, 0x90C800C0, 0x10CC0040, 0x10CA0040};
const char* const kNames[kDialogCount] = {"main", "sound", "log", "health"};

struct State {
    std::map<WindowHandle, Window> windows;
    WindowHandle nextHandle = 0x100;
    std::map<WindowHandle, bool> ended;
    std::map<int, std::function<void(WindowHandle)>> modal;
    std::vector<std::string> chooserAnswers;
    std::vector<ChooserRequest> chooserRequests;
    std::vector<std::string> events;
};

State state;

void note(const std::string& what, WindowHandle handle) {
    auto found = state.windows.find(handle);
    std::string name = found == state.windows.end() ? "?" : kNames[found->second.dialog];
    state.events.push_back(what + " " + name);
}

DialogId dialogOf(WindowHandle handle) { return state.windows.at(handle).dialog; }

WindowHandle createWindow(DialogId dialog, WindowHandle owner) {
    WindowHandle handle = state.nextHandle++;
    Window w;
    w.dialog = dialog;
    w.owner = owner;
    w.rect = kSystemPlacement[dialog];
    state.windows[handle] = w;
    state.ended[handle] = false;
    dialogInit(dialog, handle);
    // A template with the visible style is shown once initialised, unless
    // the initialisation showed it already (a minimised window counts).
    if (exists(handle) && !state.windows.at(handle).visible) showWindow(handle, ShowCommand::Normal);
    // The loop's next turn comes at once here.
    if (exists(handle)) dialogSettled(dialog, handle);
    return handle;
}

void destroy(WindowHandle handle) {
    if (!exists(handle)) return;
    // Owned windows go first, as the system destroys them with their owner.
    std::vector<WindowHandle> owned;
    for (const auto& [other, w] : state.windows)
        if (w.owner == handle) owned.push_back(other);
    for (WindowHandle other : owned) destroy(other);
    note("destroy", handle);
    DialogId dialog = dialogOf(handle);
    dialogDestroyed(dialog, handle);
    state.windows.erase(handle);
}

void sendMoveAndSize(WindowHandle handle, bool moved, bool sized) {
    DialogId dialog = dialogOf(handle);
    if (moved) dialogMoved(dialog, handle);
    if (sized && exists(handle)) dialogSized(dialog, handle);
}

}  // namespace

void reset() {
    state = State{};
    resetDialogs();
}

void onModal(DialogId dialog, std::function<void(WindowHandle)> whileOpen) {
    state.modal[dialog] = std::move(whileOpen);
}

WindowHandle windowOf(DialogId dialog) {
    for (const auto& [handle, w] : state.windows)
        if (w.dialog == dialog) return handle;
    return 0;
}

bool exists(WindowHandle handle) { return state.windows.count(handle) != 0; }
Window& window(WindowHandle handle) { return state.windows.at(handle); }
Control& control(WindowHandle dialog, int id) { return window(dialog).controls[id]; }

// ---------------------------------------------------------------- the user

void click(WindowHandle dialog, int id) {
    Control& c = control(dialog, id);
    if (!c.enabled) return;
    c.checked = !c.checked;
    dialogCommand(dialogOf(dialog), dialog, id, ControlEvent::Clicked);
}

void clickRadio(WindowHandle dialog, int id, const std::vector<int>& group) {
    if (!control(dialog, id).enabled) return;
    for (int other : group) control(dialog, other).checked = other == id;
    dialogCommand(dialogOf(dialog), dialog, id, ControlEvent::Clicked);
}

void type(WindowHandle dialog, int id, const std::string& text) {
    Control& c = control(dialog, id);
    if (!c.enabled) return;
    c.text = text;
    dialogCommand(dialogOf(dialog), dialog, id, ControlEvent::Edited);
}

void selectEntry(WindowHandle dialog, int id, int index) { control(dialog, id).selection = index; }

void activate(WindowHandle handle, Activation how) {
    const Window& w = window(handle);
    if (w.dialog == kMainDialog) mainDialogActivated(handle, ActivationEvent{how, w.minimised, 0});
}

void minimise(WindowHandle handle) { showWindow(handle, ShowCommand::Minimise); }
void restore(WindowHandle handle) { showWindow(handle, ShowCommand::Normal); }

void moveTo(WindowHandle handle, int32_t x, int32_t y) {
    WindowRect r = window(handle).rect;
    moveWindow(handle, WindowRect{x, y, r.width, r.height});
}

void resize(WindowHandle handle, int32_t width, int32_t height) {
    WindowRect r = window(handle).rect;
    moveWindow(handle, WindowRect{r.x, r.y, width, height});
}

void trayClick(TrayClick click) {
    WindowHandle main = windowOf(kMainDialog);
    if (main) mainDialogTrayClicked(main, click);
}

void answerChooser(const std::string& path) { state.chooserAnswers.push_back(path); }
const std::vector<ChooserRequest>& chooserRequests() { return state.chooserRequests; }
const std::vector<std::string>& events() { return state.events; }
void clearEvents() { state.events.clear(); }

}  // namespace simui

// ---------------------------------------------------------------- controls.h

using simui::state;

bool controlChecked(WindowHandle dialog, int id) { return simui::control(dialog, id).checked; }

void setControlChecked(WindowHandle dialog, int id, bool checked) { simui::control(dialog, id).checked = checked; }

void controlText(WindowHandle dialog, int id, char* out, size_t size) {
    copyText(out, size, simui::control(dialog, id).text.c_str());
}

void setControlText(WindowHandle dialog, int id, const char* text) {
    simui::control(dialog, id).text = text;
    dialogCommand(simui::dialogOf(dialog), dialog, id, ControlEvent::Edited);
}

void enableControl(WindowHandle dialog, int id, bool enabled) { simui::control(dialog, id).enabled = enabled; }

void setControlTip(WindowHandle dialog, int id, const char* text) { simui::control(dialog, id).tip = text; }

void fillList(WindowHandle dialog, int id, const char* const* entries, int count, int selected) {
    simui::Control& c = simui::control(dialog, id);
    c.entries.assign(entries, entries + count);
    c.selection = selected >= 0 && selected < count ? selected : -1;
}

int listSelection(WindowHandle dialog, int id) { return simui::control(dialog, id).selection; }

WindowShowState windowShowState(WindowHandle handle) {
    const simui::Window& w = simui::window(handle);
    return WindowShowState{w.minimised, w.maximised, w.visible};
}

WindowRect windowRect(WindowHandle handle) {
    const simui::Window& w = simui::window(handle);
    // Minimised, the system reports the icon's place far off the screen.
    if (w.minimised) return WindowRect{-32000, -32000, 160, 28};
    return w.rect;
}

void screenToOwnerClient(WindowHandle handle, int32_t& x, int32_t& y) {
    WindowHandle owner = simui::window(handle).owner;
    if (!simui::exists(owner)) return;
    x -= simui::window(owner).rect.x + simui::kClientLeft;
    y -= simui::window(owner).rect.y + simui::kClientTop;
}

void ownerClientToScreen(WindowHandle handle, int32_t& x, int32_t& y) {
    WindowHandle owner = simui::window(handle).owner;
    if (!simui::exists(owner)) return;
    x += simui::window(owner).rect.x + simui::kClientLeft;
    y += simui::window(owner).rect.y + simui::kClientTop;
}

void moveWindow(WindowHandle handle, const WindowRect& rect) {
    simui::Window& w = simui::window(handle);
    bool moved = rect.x != w.rect.x || rect.y != w.rect.y;
    bool sized = rect.width != w.rect.width || rect.height != w.rect.height;
    w.rect = rect;
    simui::sendMoveAndSize(handle, moved, sized);
}

void showWindow(WindowHandle handle, ShowCommand command) {
    static const char* const kCommands[] = {"Normal", "Minimise", "Maximise", "Hide"};
    simui::note(std::string("show ") + kCommands[static_cast<int>(command)], handle);
    simui::Window& w = simui::window(handle);
    bool wasMinimised = w.minimised, wasMaximised = w.maximised;
    switch (command) {
    case ShowCommand::Normal: w.minimised = w.maximised = false, w.visible = true; break;
    case ShowCommand::Minimise: w.minimised = true, w.visible = true; break;
    case ShowCommand::Maximise: w.maximised = true, w.minimised = false, w.visible = true; break;
    case ShowCommand::Hide: w.visible = false; break;
    }
    bool changed = wasMinimised != w.minimised || wasMaximised != w.maximised;
    if (changed) simui::sendMoveAndSize(handle, true, true);
}

void raiseWindow(WindowHandle handle) {
    simui::note("raise", handle);
    simui::window(handle).visible = true;
}

void bringWindowToTop(WindowHandle handle) { simui::note("top", handle); }
void setForegroundWindow(WindowHandle handle) { simui::note("foreground", handle); }
void setScrollBar(WindowHandle, bool, int32_t, int32_t) {}

uint32_t dialogTemplateStyle(DialogId dialog) { return simui::kTemplateStyles[dialog]; }

void runModalDialog(DialogId dialog, WindowHandle owner) {
    WindowHandle handle = simui::createWindow(dialog, owner);
    simui::note("modal", handle);
    auto whileOpen = state.modal.find(dialog);
    if (simui::exists(handle) && !state.ended[handle] && whileOpen != state.modal.end() && whileOpen->second)
        whileOpen->second(handle);
    simui::destroy(handle);
}

WindowHandle createModelessDialog(DialogId dialog, WindowHandle owner) {
    WindowHandle handle = simui::createWindow(dialog, owner);
    simui::note("modeless", handle);
    return handle;
}

void endModalDialog(WindowHandle handle, int) {
    if (!simui::exists(handle)) return;
    simui::note("end", handle);
    state.ended[handle] = true;
    simui::window(handle).visible = false;
    sim::stopRunning();
}

void destroyDialogWindow(WindowHandle handle) { simui::destroy(handle); }

void extendWindowMenu(WindowHandle handle, const MenuItem* items, int count) {
    for (int i = 0; i < count; ++i) simui::window(handle).menu.push_back(items[i].text);
}

void popUpWindowMenu(WindowHandle handle) { simui::note("popup menu", handle); }

void showTextAtEnd(WindowHandle dialog, int id, const char* text) {
    simui::control(dialog, id).text = text;
    simui::note("text at end", dialog);
}

void fillClientWithControl(WindowHandle dialog, int) { simui::note("fill client", dialog); }

void paintPicture(WindowHandle dialog, int id, PicturePainter paint, void* context) {
    simui::Control& c = simui::control(dialog, id);
    c.pixels.assign(static_cast<size_t>(simui::kPictureWidth) * simui::kPictureHeight, 0);
    Picture picture{c.pixels.data(), simui::kPictureWidth, simui::kPictureHeight};
    paint(picture, context);
    ++c.paints;
}

void showProgramText(WindowHandle dialog, int id, const char* text) { simui::control(dialog, id).text = text; }

bool runFileChooser(WindowHandle owner, const FileChooserSetup& setup, char (&file)[260],
                    const char* defaultExtension) {
    state.chooserRequests.push_back(
        simui::ChooserRequest{owner, setup.title, file, setup.initialDirectory, defaultExtension});
    std::string answer;
    if (!state.chooserAnswers.empty()) {
        answer = state.chooserAnswers.front();
        state.chooserAnswers.erase(state.chooserAnswers.begin());
    }
    if (answer.empty()) return false;
    copyText(file, answer.c_str());
    return true;
}
