#include "dialogs/sound_dialog.h"

#include "actions/sound_alerts.h"
#include "app/apply_settings.h"
#include "app/file_chooser_setup.h"
#include "base/text_util.h"
#include "dialogs/binding.h"
#include "dialogs/dialog_frame.h"
#include "dialogs/file_chooser.h"
#include "resources/resource_ids.h"

SoundDialogCopy soundDialogCopy;

namespace {

// The six sounds: the buttons of each row and the settings it edits.
struct SoundRow {
    int fileId;
    int playId;
    int browseId;
    char* (*file)(CsoundGroup&);
    int32_t* (*enabled)(CsoundGroup&);
};

#define ROW(fileId, playId, browseId, name)                                       \
    {fileId, playId, browseId, [](CsoundGroup& g) -> char* { return g.name; }, \
     [](CsoundGroup& g) -> int32_t* { return &g.name##enable; }}

const SoundRow kRows[6] = {
    ROW(IDC_AC_FILE, IDC_AC_PLAY, IDC_AC_BROWSE, Sacfilename),
    ROW(IDC_ACBATT_FILE, IDC_ACBATT_PLAY, IDC_ACBATT_BROWSE, Sacbatteryfilename),
    ROW(IDC_CHARGE_FILE, IDC_CHARGE_PLAY, IDC_CHARGE_BROWSE, Schargefilename),
    ROW(IDC_DISCHARGE_FILE, IDC_DISCHARGE_PLAY, IDC_DISCHARGE_BROWSE, Sdischargefilename),
    ROW(IDC_FULL_FILE, IDC_FULL_PLAY, IDC_FULL_BROWSE, Sfullbatteryfilename),
    ROW(IDC_LOW_FILE, IDC_LOW_PLAY, IDC_LOW_BROWSE, Slowbatteryfilename),
};
#undef ROW

SoundDialogCopy& copy = soundDialogCopy;

constexpr NumberLimits kPercent{0, 100};

NumberEdit fullEdit, lowEdit;

// Every bound control, in the order of refreshing and reading. A row's file
// edit is usable exactly while its sound is switched on.
const Binding kBindings[] = {
    {.id = IDC_AC_FILE, .kind = BindingKind::Text, .text = copy.rows[0].file},
    {.id = IDC_AC_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[0].enabled, .enables = IDC_AC_FILE},
    {.id = IDC_ACBATT_FILE, .kind = BindingKind::Text, .text = copy.rows[1].file},
    {.id = IDC_ACBATT_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[1].enabled,
     .enables = IDC_ACBATT_FILE},
    {.id = IDC_CHARGE_FILE, .kind = BindingKind::Text, .text = copy.rows[2].file},
    {.id = IDC_CHARGE_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[2].enabled,
     .enables = IDC_CHARGE_FILE},
    {.id = IDC_DISCHARGE_FILE, .kind = BindingKind::Text, .text = copy.rows[3].file},
    {.id = IDC_DISCHARGE_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[3].enabled,
     .enables = IDC_DISCHARGE_FILE},
    {.id = IDC_FULL_FILE, .kind = BindingKind::Text, .text = copy.rows[4].file},
    {.id = IDC_FULL_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[4].enabled, .enables = IDC_FULL_FILE},
    {.id = IDC_FULL_PERCENT, .kind = BindingKind::Number, .field = &copy.fullThreshold, .limits = kPercent,
     .edit = &fullEdit},
    {.id = IDC_LOW_FILE, .kind = BindingKind::Text, .text = copy.rows[5].file},
    {.id = IDC_LOW_ENABLE, .kind = BindingKind::Check, .field = &copy.rows[5].enabled, .enables = IDC_LOW_FILE},
    {.id = IDC_LOW_PERCENT, .kind = BindingKind::Number, .field = &copy.lowThreshold, .limits = kPercent,
     .edit = &lowEdit},
};

DialogFrame& frame() { return dialogFrames[kSoundDialog]; }

void refreshOne(WindowHandle window, int id) { refreshBinding(kBindings, window, id); }

void refreshSoundControls(WindowHandle window) { refreshBindings(kBindings, window); }

void loadSoundCopy() {
    CsoundGroup& sound = liveSettings.Csound;
    copy.fullThreshold = sound.Sfullbatteryperc;
    copy.lowThreshold = sound.Slowbatteryperc;
    for (int i = 0; i < 6; ++i) {
        copy.rows[i].enabled = *kRows[i].enabled(sound);
        copyText(copy.rows[i].file, kRows[i].file(sound));
    }
}


void storeSoundCopy() {
    CsoundGroup& sound = liveSettings.Csound;
    sound.Sfullbatteryperc = copy.fullThreshold;
    sound.Slowbatteryperc = copy.lowThreshold;
    for (int i = 0; i < 6; ++i) {
        *kRows[i].enabled(sound) = copy.rows[i].enabled;
        setText(kRows[i].file(sound), copy.rows[i].file);
    }
}

// The row whose play or browse button `id` is, or -1.
int rowOfButton(int id, bool play) {
    for (int i = 0; i < 6; ++i)
        if ((play ? kRows[i].playId : kRows[i].browseId) == id) return i;
    return -1;
}

}  // namespace

void resetSoundDialog() { fullEdit.guard = lowEdit.guard = false; }

void openSoundDialog() {
    loadSoundCopy();
    backupSettings = liveSettings;
    openDialog(frame());
}

intptr_t soundDialogInit(WindowHandle window) {
    initDialogFrame(frame(), window);
    refreshSoundControls(window);
    return 1;
}

intptr_t soundDialogCommand(WindowHandle window, int id, ControlEvent event) {
    if (const Binding* b = findBinding(kBindings, id)) return handleBinding(*b, window, event);
    if (int row = rowOfButton(id, true); row >= 0) {
        // Plays what the row shows, switched on or not: the user tries it.
        playAlertSound(copy.rows[row].file);
        return 1;
    }
    if (int row = rowOfButton(id, false); row >= 0) {
        browseForFile(window, soundFileChoosers[row], copy.rows[row].file, kRows[row].fileId, refreshOne);
        return 1;
    }
    switch (id) {
    case IDC_OK:
        readBindings(kBindings, window);
        storeSoundCopy();
        endDialog(frame(), window);
        return 1;
    case IDC_CANCEL:
        restoreSettingsFromBackup();
        endDialog(frame(), window);
        return 1;
    default: return 0;
    }
}
