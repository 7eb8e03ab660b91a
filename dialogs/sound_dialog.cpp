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

struct SoundRow {
    int enableId;
    int fileId;
    int playId;
    int browseId;
    char* (*file)(CsoundGroup&);
    int32_t* (*enabled)(CsoundGroup&);
};

#define ROW(enableId, fileId, playId, browseId, name)                               \
    {enableId, fileId, playId, browseId, [](CsoundGroup& g) -> char* { return g.name; }, \
     [](CsoundGroup& g) -> int32_t* { return &g.name##enable; }}

const SoundRow kRows[6] = {
    ROW(IDC_AC_ENABLE, IDC_AC_FILE, IDC_AC_PLAY, IDC_AC_BROWSE, Sacfilename),
    ROW(IDC_ACBATT_ENABLE, IDC_ACBATT_FILE, IDC_ACBATT_PLAY, IDC_ACBATT_BROWSE, Sacbatteryfilename),
    ROW(IDC_CHARGE_ENABLE, IDC_CHARGE_FILE, IDC_CHARGE_PLAY, IDC_CHARGE_BROWSE, Schargefilename),
    ROW(IDC_DISCHARGE_ENABLE, IDC_DISCHARGE_FILE, IDC_DISCHARGE_PLAY, IDC_DISCHARGE_BROWSE, Sdischargefilename),
    ROW(IDC_FULL_ENABLE, IDC_FULL_FILE, IDC_FULL_PLAY, IDC_FULL_BROWSE, Sfullbatteryfilename),
    ROW(IDC_LOW_ENABLE, IDC_LOW_FILE, IDC_LOW_PLAY, IDC_LOW_BROWSE, Slowbatteryfilename),
};
#undef ROW

BoundedNumber fullNumber, lowNumber;
bool fullGuard, lowGuard;

SoundDialogCopy& copy = soundDialogCopy;

// A row's file edit is usable exactly while its sound is switched on.
template <int Row>
void enableRowFile(WindowHandle w) {
    enableControl(w, kRows[Row].fileId, copy.rows[Row].enabled != 0);
}

template <int Row>
constexpr Binding rowCheck() {
    return Binding{kRows[Row].enableId, BindingKind::Check, &copy.rows[Row].enabled, nullptr, 0, nullptr,
                   nullptr, nullptr, 0, enableRowFile<Row>};
}
template <int Row>
constexpr Binding rowFile() {
    return Binding{kRows[Row].fileId, BindingKind::Text, nullptr, copy.rows[Row].file, 0, nullptr, nullptr,
                   nullptr, 0, nullptr};
}
Binding threshold(int id, int32_t& field, BoundedNumber& bounds, bool& guard) {
    return Binding{id, BindingKind::Number, &field, nullptr, 0, &bounds, &guard, nullptr, 0, nullptr};
}

const Binding kBindings[] = {
    rowCheck<0>(), rowFile<0>(), rowCheck<1>(), rowFile<1>(), rowCheck<2>(), rowFile<2>(),
    rowCheck<3>(), rowFile<3>(), rowCheck<4>(), rowFile<4>(), rowCheck<5>(), rowFile<5>(),
    threshold(IDC_FULL_PERCENT, copy.fullThreshold, fullNumber, fullGuard),
    threshold(IDC_LOW_PERCENT, copy.lowThreshold, lowNumber, lowGuard),
};

const int kRefreshOrder[] = {
    IDC_AC_FILE, IDC_AC_ENABLE, IDC_ACBATT_FILE, IDC_ACBATT_ENABLE, IDC_CHARGE_FILE, IDC_CHARGE_ENABLE,
    IDC_DISCHARGE_FILE, IDC_DISCHARGE_ENABLE, IDC_FULL_FILE, IDC_FULL_ENABLE, IDC_FULL_PERCENT,
    IDC_LOW_FILE, IDC_LOW_ENABLE, IDC_LOW_PERCENT,
};

DialogFrame& frame() { return dialogFrames[kSoundDialog]; }

void refreshOne(WindowHandle window, int id) { refreshBinding(kBindings, window, id); }

void refreshSoundControls(WindowHandle window) {
    fullNumber = {copy.fullThreshold, 0, 100};
    lowNumber = {copy.lowThreshold, 0, 100};
    refreshBindings(kBindings, kRefreshOrder, window);
}

void loadSoundCopy() {
    CsoundGroup& sound = liveSettings.Csound;
    copy.fullThreshold = sound.Sfullbatteryperc;
    copy.lowThreshold = sound.Slowbatteryperc;
    for (int i = 0; i < 6; ++i) {
        copy.rows[i].enabled = *kRows[i].enabled(sound);
        copyText(copy.rows[i].file, kRows[i].file(sound));
    }
}

void readSoundControls(WindowHandle window) {
    for (int i = 0; i < 6; ++i) {
        controlText(window, kRows[i].fileId, copy.rows[i].file, kNameSize);
        copy.rows[i].enabled = controlChecked(window, kRows[i].enableId) ? 1 : 0;
    }
    copy.fullThreshold = readBoundedNumber(window, IDC_FULL_PERCENT, 0, 100);
    copy.lowThreshold = readBoundedNumber(window, IDC_LOW_PERCENT, 0, 100);
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

void resetSoundDialog() { fullGuard = lowGuard = false; }

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
        readSoundControls(window);
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
