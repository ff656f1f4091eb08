#pragma once

// The binding of each kind of control: what native window it is and how its state and the
// person's actions cross between the two.

#include <memory>

#include "platform/win32/control_view.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/trackbar.h"

namespace win32 {

// Makes the view of a control by its kind.
std::unique_ptr<ControlView> MakeView(FormWindow& form, ui::Control& control);

// EDIT: the text, its background colour; the user's edits come back as userTyped.
class EditView final : public ControlView {
public:
    EditView(FormWindow& form, ui::Edit& edit) : ControlView(form, edit), edit_(edit) {}
    void command(WORD code) override;
    HBRUSH colors(HDC dc) override;

private:
    const wchar_t* className() const override { return L"EDIT"; }
    DWORD style() const override;
    DWORD exStyle() const override { return WS_EX_CLIENTEDGE; }
    void pushState() override;
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    ui::Edit& edit_;
};

// msctls_trackbar32: range, ticks every Frequency positions (only at the ends when 0), the
// position; the user's movements come back as userMoved.
class TrackBarView final : public ControlView {
public:
    TrackBarView(FormWindow& form, ui::TrackBar& bar) : ControlView(form, bar), bar_(bar) {}
    void scroll(WORD request) override;
    HBRUSH colors(HDC dc) override;

private:
    const wchar_t* className() const override;
    DWORD style() const override;
    void pushState() override;
    ui::TrackBar& bar_;
};

// BUTTON, push: caption, default, bold; a click (mouse, Space) is the button's Click.
class ButtonView final : public ControlView {
public:
    ButtonView(FormWindow& form, ui::Button& button) : ControlView(form, button), button_(button) {}
    void command(WORD code) override;

private:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override;
    void pushState() override;
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    ui::Button& button_;
};

// BUTTON, check box or radio button: caption and check mark; a click is the user's click,
// whose rules (a radio fires only when it becomes checked) the model applies.
class CheckView final : public ControlView {
public:
    CheckView(FormWindow& form, ui::CheckBox& box) : ControlView(form, box), box_(&box) {}
    CheckView(FormWindow& form, ui::RadioButton& radio)
        : ControlView(form, radio), radio_(&radio) {}
    void command(WORD code) override;
    HBRUSH colors(HDC dc) override;

private:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override;
    void pushState() override;
    // The click carries the press and release itself.
    bool reportsMouse() const override { return false; }
    ui::CheckBox* box_ = nullptr;
    ui::RadioButton* radio_ = nullptr;
};

// BUTTON, group box: a frame with a caption. A sibling of its controls, under them.
class GroupBoxView final : public ControlView {
public:
    GroupBoxView(FormWindow& form, ui::GroupBox& box) : ControlView(form, box), box_(box) {}
    HBRUSH colors(HDC dc) override;

private:
    const wchar_t* className() const override { return L"BUTTON"; }
    DWORD style() const override { return BS_GROUPBOX; }
    void pushState() override;
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool reportsMouse() const override { return false; }
    ui::GroupBox& box_;
};

// COMBOBOX, a drop-down list of fixed items; the user's pick comes back as userSelected.
class ComboBoxView final : public ControlView {
public:
    ComboBoxView(FormWindow& form, ui::ComboBox& combo) : ControlView(form, combo), combo_(combo) {}
    void command(WORD code) override;

private:
    const wchar_t* className() const override { return L"COMBOBOX"; }
    DWORD style() const override { return CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP; }
    int nativeHeight(const RECT& r) const override;
    void pushState() override;
    ui::ComboBox& combo_;
};

// A control painted here rather than by a native class: its window class only gives it a
// window. The paint covers all of it; a click on it is the user's click where `clicks`.
class PaintedView : public ControlView {
protected:
    PaintedView(FormWindow& form, ui::Control& model, bool clicks)
        : ControlView(form, model), clicks_(clicks) {}
    virtual void paint(HDC dc) = 0;
    DWORD style() const override { return 0; }
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    const bool clicks_;
};

// A static text: alignment, word wrap, font and colour, drawn over whatever lies under it (the
// window's colour or a picture) when transparent.
class LabelView final : public PaintedView {
public:
    static constexpr const wchar_t* kClass = L"VimbrelLabel";
    LabelView(FormWindow& form, ui::Label& label) : PaintedView(form, label, true), label_(label) {}

private:
    const wchar_t* className() const override { return kClass; }
    void pushState() override;
    bool reportsMouse() const override { return false; }
    void paint(HDC dc) override;
    ui::Label& label_;
};

// The round status lamp, painted in its brush colour.
class LampView final : public PaintedView {
public:
    static constexpr const wchar_t* kClass = L"VimbrelLamp";
    LampView(FormWindow& form, ui::Shape& shape) : PaintedView(form, shape, false), shape_(shape) {}

private:
    const wchar_t* className() const override { return kClass; }
    void pushState() override;
    void paint(HDC dc) override;
    ui::Shape& shape_;
};

// A picture from the program's resources, stretched to its place.
class PictureView final : public PaintedView {
public:
    static constexpr const wchar_t* kClass = L"VimbrelPicture";
    PictureView(FormWindow& form, ui::Image& image);
    ~PictureView() override;
    // Draws the picture into `dc`, whose origin lies at `origin` in the window's client area:
    // what a transparent label over it shows.
    void drawInto(HDC dc, POINT origin) const;

private:
    const wchar_t* className() const override { return kClass; }
    bool reportsMouse() const override { return false; }
    void paint(HDC dc) override;
    HBITMAP bitmap_ = nullptr;
};

// Registers the window classes of the views painted here; true when all are there.
bool RegisterViewClasses(HINSTANCE instance);

}  // namespace win32
