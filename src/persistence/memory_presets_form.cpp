// Four memory slots kept for one run: stored and recalled with the buttons, their right-click
// menus and F5 to F8 (Shift to store), renamed in place.
#include "persistence/memory_presets.h"

#include "shell/generator_form.h"
#include "ui/utf8.h"

namespace vpg {

namespace {
constexpr std::size_t kMaxText = 255;

// At most 255 bytes, never inside a character.
std::string cut(const std::string& text) {
    return text.substr(0, ui::Utf8PrefixLength(text, kMaxText));
}
}  // namespace

void TfrmGenerator::wirePresets() {
    ui::MenuItem* popups[] = {&PopupMenu1, &PopupMenu2, &PopupMenu3, &PopupMenu4};
    ui::MenuItem* stores[] = {&Store, &Store2, &Store3, &Store4};
    ui::MenuItem* renames[] = {&Rename, &Rename1, &Rename2, &Rename3};
    ui::MenuItem* recallKeys[] = {&Memory11, &Memory21, &Memory31, &Memory41};
    ui::MenuItem* storeKeys[] = {&StoreMemory11, &StoreMemory2, &StoreMemory31, &StoreMemory41};
    Store.Hint = "Store settings in this memory position";
    for (int i = 0; i < 4; ++i) {
        const int slot = i + 1;
        ui::Button& button = presetButton(slot);
        ui::Edit& edit = presetEdit(slot);
        button.Hint = "Recall Stored Preset (Right-click to Store)";
        button.PopupMenu = popups[i];
        popups[i]->add(*stores[i]).add(*renames[i]);
        button.OnClick = recallKeys[i]->OnClick = [this, slot](ui::Object*) { MemRecall(slot); };
        stores[i]->OnClick = storeKeys[i]->OnClick = [this, slot](ui::Object*) { MemStore(slot); };
        renames[i]->OnClick = [this, slot](ui::Object*) { openRename(slot); };
        edit.color = ui::clBtnFace;
        edit.setVisible(false);
        edit.setEnabled(false);
        edit.OnExit = [this, slot](ui::Object*) { closeRename(slot); };
        edit.OnKeyDown = [this, slot](ui::Object*, std::uint16_t& key, ui::ShiftState) {
            if (key != ui::VK_RETURN && key != ui::VK_ESCAPE) return;
            // Enter takes the new name, Escape keeps the old one; neither presses anything else.
            closeRename(slot, key == ui::VK_RETURN);
            key = 0;
        };
    }
    PresetRecallAutostart1.OnClick = [this](ui::Object*) {
        PresetRecallAutostart1.setChecked(!PresetRecallAutostart1.Checked());
    };
}

void TfrmGenerator::SeedPresets() {
    for (MemoryPreset& m : Presets) {
        m.fInitLeft = cut(fInitLeft.Text());
        m.fFinalLeft = cut(fFinalLeft.Text());
        m.AmplitudeLeft = cut(AmplitudeLeft.Text());
        m.AmplitudeRight = cut(AmplitudeRight.Text());
        m.Duration = cut(Duration.Text());
        m.LogarithmicLeft = LogarithmicLeft.Checked();
        m.BidirectionalLeft = BidirectionalLeft.Checked();
        m.Loop = Loop.Checked();
        m.FlashLock = chkFlashLock.Checked();
        // A slot not stored since start-up recalls into sweep mode: the user's way into it.
        m.ConstantMode = false;
    }
}

void TfrmGenerator::MemStore(int button) {
    if (button < 1 || button > 4) return;
    MemoryPreset& m = Presets[static_cast<std::size_t>(button - 1)];
    m.fInitLeft = cut(fInitLeft.Text());
    m.fFinalLeft = cut(fFinalLeft.Text());
    m.AmplitudeLeft = cut(AmplitudeLeft.Text());
    m.LogarithmicLeft = LogarithmicLeft.Checked();
    m.BidirectionalLeft = BidirectionalLeft.Checked();
    m.ConstantMode = chkConstantLeft.Checked();
    m.AmplitudeRight = cut(AmplitudeRight.Text());
    m.Loop = Loop.Checked();
    m.Duration = cut(Duration.Text());
    m.FlashLock = chkFlashLock.Checked();
}

void TfrmGenerator::MemRecall(int button) {
    if (button < 1 || button > 4) return;
    const MemoryPreset m = Presets[static_cast<std::size_t>(button - 1)];
    if (OutputOpen()) AudioOut1->StopAtOnce();
    chkConstantLeft.setChecked(m.ConstantMode);
    chkSweepLeft.setChecked(!m.ConstantMode);
    chkConstantLeftClick(this);
    AmplitudeLeft.setText(m.AmplitudeLeft);
    LogarithmicLeft.setChecked(m.LogarithmicLeft);
    BidirectionalLeft.setChecked(m.BidirectionalLeft);
    AmplitudeRight.setText(m.AmplitudeRight);
    Duration.setText(m.Duration);
    Loop.setChecked(m.Loop);
    chkFlashLock.setChecked(m.FlashLock);
    AmplitudeLeftExit(this);
    AmplitudeRightExit(this);
    fInitLeft.setText(m.fInitLeft);
    fFinalLeft.setText(m.fFinalLeft);
    // A preset stored from a field typed into and not yet left holds the text as typed: it
    // comes back under its field's rule.
    ApplyEntryRules();
    fConstLeftChange(this);
    if (PresetRecallAutostart1.Checked()) btnONClick(this);
}

ui::Button& TfrmGenerator::presetButton(int slot) {
    ui::Button* buttons[] = {&Memory1, &Memory2, &Memory3, &Memory4};
    return *buttons[slot - 1];
}

ui::Edit& TfrmGenerator::presetEdit(int slot) {
    ui::Edit* edits[] = {&Mem1Edit, &Mem2Edit, &Mem3Edit, &Mem4Edit};
    return *edits[slot - 1];
}

void TfrmGenerator::openRename(int slot) {
    ui::Button& button = presetButton(slot);
    ui::Edit& edit = presetEdit(slot);
    // While the field is open, Enter belongs to it and does not start the signal.
    btnON.setDefault(false);
    renamedFrom_ = button.Caption();
    edit.setText(button.Caption());
    button.setCaption("");
    edit.setVisible(true);
    edit.setEnabled(true);
    edit.SetFocus();
}

void TfrmGenerator::closeRename(int slot, bool accept) {
    ui::Edit& edit = presetEdit(slot);
    if (!edit.Visible()) return;
    presetButton(slot).setCaption(accept ? edit.Text() : renamedFrom_);
    btnON.setDefault(true);
    edit.setVisible(false);
    edit.setEnabled(false);
}

}  // namespace vpg
