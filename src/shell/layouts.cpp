#include "shell/layouts.h"

#include <initializer_list>

#include "audio/output_settings.h"
#include "shell/frequency_display.h"
#include "shell/generator_form.h"
#include "shell/help_about.h"
#include "shell/startup.h"
#include "ui/application.h"

namespace vpg {

namespace {

// One row of a form file: the control, the group box it sits in (null: the window), and its
// rectangle in design pixels relative to that parent.
struct Placement {
    ui::Control* control;
    ui::Control* parent;
    int left, top, width, height;
};

void Place(std::initializer_list<Placement> rows) {
    for (const Placement& row : rows) {
        row.control->Parent = row.parent;
        row.control->setBounds(row.left, row.top, row.width, row.height);
    }
}

// A window of a fixed design client size, scaled to the screen, with its kind's frame around.
void SizeClient(ui::Form& f, const ui::Application& app, int width, int height) {
    f.setFrame(app.FrameOf(f));
    f.setClientSize(app.Scale(width), app.Scale(height));
}

}  // namespace

void LayOut(TfrmGenerator& f, const ui::Application& app) {
    f.borderStyle = ui::BorderStyle::Single;
    f.Position = ui::FormPosition::ScreenCenter;
    f.borderIcons = {true, true, false, true};
    // The client size follows the content when the window is created.
    f.setFrame(app.FrameOf(f));

    ui::GroupBox* const frequency = &f.grpFrequency;
    ui::GroupBox* const levelLeft = &f.grpAmplitudeLeft;
    ui::GroupBox* const pulses = &f.grpPulseSettings;
    ui::GroupBox* const delta = &f.grpDelta;
    ui::GroupBox* const phase = &f.grpPhase;
    ui::GroupBox* const pulseLength = &f.grpPulseLength;
    ui::GroupBox* const levelRight = &f.grpAmplitudeRight;
    ui::GroupBox* const device = &f.grpOutputDevice;
    ui::GroupBox* const memory = &f.grpMemory;
    Place({
        // The speaker frequency slider across the top, its ends and rounding step under it.
        {&f.lblSpeakerFrequency, nullptr, 12, 10, 200, 18},
        {&f.FreqSliderLeft, nullptr, 12, 30, 736, 34},
        {&f.MinFreqEdit, nullptr, 12, 68, 64, 24},
        {&f.lblRound, nullptr, 166, 72, 224, 18},
        {&f.txtRound, nullptr, 396, 68, 56, 24},
        {&f.lblRoundHertz, nullptr, 458, 72, 50, 18},
        {&f.MaxFreqEdit, nullptr, 684, 68, 64, 24},

        // Start and final frequency: the constant tone's fine steps and the sweep's fields
        // share the row to the right of the start frequency.
        {frequency, nullptr, 12, 104, 540, 112},
        {&f.lblFreqFromLeft, frequency, 12, 32, 44, 18},
        {&f.fInitLeft, frequency, 62, 28, 112, 24},
        {&f.lblFromFreqLeft, frequency, 180, 32, 24, 18},
        {&f.fInitLeftMinus, frequency, 220, 26, 40, 28},
        {&f.fInitLeftPlus, frequency, 264, 26, 40, 28},
        {&f.SemiDownLeft, frequency, 316, 26, 40, 28},
        {&f.SemiUpLeft, frequency, 360, 26, 40, 28},
        {&f.lblFreqToLeft, frequency, 214, 32, 24, 18},
        {&f.fFinalLeft, frequency, 242, 28, 112, 24},
        {&f.lblHzToLeft, frequency, 360, 32, 24, 18},
        {&f.LogarithmicLeft, frequency, 62, 70, 130, 22},
        {&f.BidirectionalLeft, frequency, 204, 70, 150, 22},
        {&f.chkConstantLeft, frequency, 420, 28, 100, 22},
        {&f.chkSweepLeft, frequency, 420, 54, 100, 22},

        // The sine's level beside the frequency box.
        {levelLeft, nullptr, 564, 104, 184, 112},
        {&f.barAmplitudeLeft, levelLeft, 10, 20, 36, 86},
        {&f.lblAmplitudeLeftChannel, levelLeft, 56, 26, 118, 18},
        {&f.AmplitudeLeft, levelLeft, 56, 50, 60, 24},
        {&f.lblAmplitudeLeftUnit, levelLeft, 122, 54, 44, 18},

        // The pulse channel: delta, phase, pulse length and its level.
        {pulses, nullptr, 12, 226, 540, 238},
        {delta, pulses, 12, 24, 350, 96},
        {&f.FreqSliderRight, delta, 10, 18, 260, 30},
        {&f.lblDeltaMinus, delta, 10, 48, 60, 18},
        {&f.lblDeltaZero, delta, 110, 48, 60, 18},
        {&f.lblDeltaPlus, delta, 210, 48, 60, 18},
        {&f.lblFdelta, delta, 274, 24, 40, 18},
        {&f.lblFdeltaHz, delta, 316, 24, 28, 18},
        {&f.chkFlashLock, delta, 10, 68, 330, 22},
        {phase, pulses, 12, 130, 169, 96},
        {&f.trkPhase, phase, 10, 22, 149, 34},
        {&f.PhaseEdit, phase, 10, 62, 72, 24},
        {&f.lblPhaseUnit, phase, 88, 66, 40, 18},
        {pulseLength, pulses, 193, 130, 169, 96},
        {&f.trkPulseLength, pulseLength, 10, 22, 149, 34},
        {&f.txtPulseLength, pulseLength, 10, 62, 72, 24},
        {&f.lblPulseLengthUnit, pulseLength, 88, 66, 70, 18},
        {levelRight, pulses, 374, 24, 154, 202},
        {&f.barAmplitudeRight, levelRight, 10, 20, 36, 172},
        {&f.lblAmplitudeRightChannel, levelRight, 52, 26, 98, 18},
        {&f.AmplitudeRight, levelRight, 52, 90, 56, 24},
        {&f.lblAmplitudeRightUnit, levelRight, 112, 94, 38, 18},

        // Device and memory presets to the right of the pulse settings.
        {device, nullptr, 564, 226, 184, 62},
        {&f.WaveDevice, device, 10, 24, 164, 26},
        {memory, nullptr, 564, 300, 184, 164},
        {&f.Memory1, memory, 10, 24, 78, 62},
        {&f.Memory2, memory, 96, 24, 78, 62},
        {&f.Memory3, memory, 10, 94, 78, 62},
        {&f.Memory4, memory, 96, 94, 78, 62},
        // Each rename field lies over the middle of its button.
        {&f.Mem1Edit, memory, 14, 43, 70, 24},
        {&f.Mem2Edit, memory, 100, 43, 70, 24},
        {&f.Mem3Edit, memory, 14, 113, 70, 24},
        {&f.Mem4Edit, memory, 100, 113, 70, 24},

        // The run: lamp, ON, Pause, OFF, then the duration and the loop.
        {&f.LED, nullptr, 12, 475, 38, 38},
        {&f.btnON, nullptr, 58, 478, 86, 32},
        {&f.btnPause, nullptr, 152, 478, 86, 32},
        {&f.btnOFF, nullptr, 246, 478, 86, 32},
        {&f.lblDuration, nullptr, 352, 485, 62, 18},
        {&f.Duration, nullptr, 420, 481, 80, 24},
        {&f.lblDurationUnit, nullptr, 506, 485, 14, 18},
        {&f.Loop, nullptr, 564, 483, 90, 22},

        // The bottom line: the sampling rate at the left, the maker at the right. These two
        // fix the window's size.
        {&f.lblFS, nullptr, 12, 528, 220, 18},
        {&f.lblBottomRight, nullptr, 592, 528, 140, 18},
    });

    f.lblRound.alignment = ui::Alignment::Right;
    f.lblFreqFromLeft.alignment = ui::Alignment::Right;
    f.lblFreqToLeft.alignment = ui::Alignment::Center;
    f.lblDeltaZero.alignment = ui::Alignment::Center;
    f.lblDeltaPlus.alignment = ui::Alignment::Right;
    f.lblFdelta.alignment = ui::Alignment::Right;
    f.lblFdelta.font.Bold = f.lblFdeltaHz.font.Bold = true;
    f.lblDuration.alignment = ui::Alignment::Right;
    f.lblBottomRight.alignment = ui::Alignment::Right;
    f.lblBottomRight.font.Height = 13;
    f.lblBottomRight.font.color = ui::clGrayText;
    f.SemiUpLeft.font.Italic = f.SemiDownLeft.font.Italic = true;
    for (ui::Button* b : {&f.fInitLeftPlus, &f.fInitLeftMinus, &f.SemiUpLeft, &f.SemiDownLeft})
        b->font.Bold = true;
    f.lblFS.cursor = ui::Cursor::HandPoint;  // a click opens the output settings

    // Top to bottom, left to right, as the window reads; each rename field after its button.
    f.TabOrder = {&f.FreqSliderLeft,    &f.MinFreqEdit,
                  &f.txtRound,          &f.MaxFreqEdit,
                  &f.fInitLeft,         &f.fInitLeftMinus,
                  &f.fInitLeftPlus,     &f.SemiDownLeft,
                  &f.SemiUpLeft,        &f.fFinalLeft,
                  &f.LogarithmicLeft,   &f.BidirectionalLeft,
                  &f.chkConstantLeft,   &f.chkSweepLeft,
                  &f.barAmplitudeLeft,  &f.AmplitudeLeft,
                  &f.FreqSliderRight,   &f.chkFlashLock,
                  &f.trkPhase,          &f.PhaseEdit,
                  &f.trkPulseLength,    &f.txtPulseLength,
                  &f.barAmplitudeRight, &f.AmplitudeRight,
                  &f.WaveDevice,        &f.Memory1,
                  &f.Mem1Edit,          &f.Memory2,
                  &f.Mem2Edit,          &f.Memory3,
                  &f.Mem3Edit,          &f.Memory4,
                  &f.Mem4Edit,          &f.btnON,
                  &f.btnPause,          &f.btnOFF,
                  &f.Duration,          &f.Loop};
}

void LayOut(TfrmSettings& f, const ui::Application& app) {
    f.borderStyle = ui::BorderStyle::ToolWindow;
    f.Position = ui::FormPosition::ScreenCenter;
    SizeClient(f, app, 272, 194);
    Place({
        {&f.lblFsList, nullptr, 16, 14, 240, 18},
        {&f.FsList, nullptr, 16, 36, 240, 26},
        {&f.lblBufferSize, nullptr, 16, 76, 112, 18},
        {&f.BufferSize, nullptr, 16, 98, 112, 26},
        {&f.lblBuffers, nullptr, 144, 76, 112, 18},
        {&f.Buffers, nullptr, 144, 98, 112, 26},
        {&f.HelpButton, nullptr, 16, 146, 112, 32},
        {&f.Button1, nullptr, 144, 146, 112, 32},
    });
    f.TabOrder = {&f.FsList, &f.BufferSize, &f.Buffers, &f.HelpButton, &f.Button1};
}

void LayOut(TfrmFrequencyDisplay& f, const ui::Application& app) {
    f.borderStyle = ui::BorderStyle::SizeToolWin;
    f.Position = ui::FormPosition::Designed;
    f.color = ui::clBlack;
    f.setLeft(app.Scale(422));
    f.setTop(app.Scale(147));
    // The outer width is what the window is from its creation on: the client plus the frame.
    SizeClient(f, app, 208, 96);
    Place({{&f.lblDisplay, nullptr, 0, 0, 208, 72}, {&f.lblFlashRate, nullptr, 0, 72, 208, 24}});
    f.lblDisplay.FillsParent = true;
    f.lblFlashRate.DocksBottom = true;
    f.lblFlashRate.alignment = ui::Alignment::Center;
    f.lblFlashRate.Transparent = true;
    f.lblFlashRate.font = ui::Font{"Courier New", 18, false, false, false, ui::clLime};
    f.lblDisplay.alignment = ui::Alignment::Center;
    f.lblDisplay.WordWrap = true;
    f.lblDisplay.Transparent = true;
    f.lblDisplay.font = ui::Font{"Courier New", 33, false, false, false, ui::clLime};
}

void LayOut(TfrmAbout& f, const ui::Application& app) {
    f.borderStyle = ui::BorderStyle::ToolWindow;
    f.Position = ui::FormPosition::ScreenCenter;
    SizeClient(f, app, 480, 372);
    Place({
        {&f.ProgramIcon, nullptr, 0, 0, 480, 320},
        {&f.Version, nullptr, 24, 244, 300, 20},
        {&f.Label1, nullptr, 24, 276, 360, 20},
        {&f.Homepage, nullptr, 24, 276, 360, 20},
        {&f.AboutHelp, nullptr, 284, 330, 88, 32},
        {&f.OKButton, nullptr, 380, 330, 88, 32},
    });
    // The default button first.
    f.TabOrder = {&f.OKButton, &f.AboutHelp};
    const ui::Font link{"", 0, true, false, true, ui::clBlack};
    f.Label1.font = link;
    f.Homepage.font = link;
    f.Homepage.font.color = ui::clWhite;
    f.Version.font.color = ui::clWhite;
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&f.ProgramIcon, &f.Version, &f.Label1, &f.Homepage})
        c->cursor = ui::Cursor::HandPoint;
}

void LayOut(TfrmStartSplash& f, const ui::Application& app) {
    f.borderStyle = ui::BorderStyle::None;
    f.Position = ui::FormPosition::ScreenCenter;
    SizeClient(f, app, 480, 320);
    f.TransparentColor = true;
    f.TransparentColorValue = ui::clWhite;
    f.color = ui::clWhite;
    Place({{&f.imgSplash, nullptr, 0, 0, 480, 320}});
}

}  // namespace vpg
