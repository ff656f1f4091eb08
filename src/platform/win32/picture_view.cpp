#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace win32 {

PictureView::PictureView(FormWindow& form, ui::Image& image) : PaintedView(form, image, true) {
    form.addPicture(*this);
    // The picture is a bitmap resource named as the model names it ("splash" -> SPLASH).
    std::wstring name = Utf8ToWide(image.Picture);
    for (wchar_t& c : name) c = static_cast<wchar_t>(::towupper(c));
    bitmap_ = static_cast<HBITMAP>(
        ::LoadImageW(form.views().instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

PictureView::~PictureView() {
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
}

void PictureView::drawInto(HDC dc, POINT origin) const {
    if (bitmap_ == nullptr || hwnd_ == nullptr) return;
    if (!model_.Showing()) return;
    const RECT place = placement();
    BITMAP info{};
    ::GetObjectW(bitmap_, sizeof info, &info);
    const HDC source = ::CreateCompatibleDC(dc);
    const HGDIOBJ old = ::SelectObject(source, bitmap_);
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, place.left - origin.x, place.top - origin.y, place.right - place.left,
                 place.bottom - place.top, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

void PictureView::paint(HDC dc) {
    // The window's colour, then this picture and any other one it overlaps.
    form_.paintUnder(dc, placement());
}

}  // namespace win32
