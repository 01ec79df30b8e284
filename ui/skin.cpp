#include "ui/skin.h"

#include <commctrl.h>
#include <cstring>

#include "ui/gdiplus_include.h"
#include "ui/resource_numbers.h"
#include "ui/ui_state.h"

namespace {

constexpr int kWaitPictureSize = 256;
constexpr int kHighlightMargin = 3;
constexpr BYTE kHighlightAlpha = 70;
constexpr COLORREF kTabCaptionColour = RGB(0, 0, 170);
constexpr int kLabelTextSize = 14;
constexpr unsigned int kLabelColour = 0xC80000FFu;
constexpr unsigned int kCopySquareColour = 0xFF0000C8u;
constexpr unsigned int kSeparatorColour = 0xFFC8C8C8u;

struct ButtonPlace {
    int x, y, width, height;
};

ButtonPlace PlaceOfButton(int index, int W, int H) {
    switch (index) {
        case kReadButton: return {308, 32, 200, 24};
        case kCopyButton: return {530, 32, 120, 24};
        case kSendButton: return {W - 50, H - 80, 40, 43};
        default: return {260, 32, 24, 24};
    }
}

// A picture that decodes to nothing still gets a bitmap object, so the button keeps its
// rectangle, highlight and click and the caller never has to test for null.
Gdiplus::Bitmap* EmptyPicture() { return new Gdiplus::Bitmap(1, 1, PixelFormat32bppARGB); }

// GDI+ may read a stream-backed bitmap lazily, long after the stream is gone; the decoded
// pixels are copied into a bitmap of their own so the temporary block can really be freed.
Gdiplus::Bitmap* CopyPixels(Gdiplus::Bitmap* decoded) {
    UINT width = decoded->GetWidth(), height = decoded->GetHeight();
    if (decoded->GetLastStatus() != Gdiplus::Ok || width == 0 || height == 0) return nullptr;
    auto* copy = new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB);
    if (copy == nullptr) return nullptr;
    Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData source = {}, target = {};
    if (decoded->LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &source) !=
        Gdiplus::Ok) {
        delete copy;
        return nullptr;
    }
    if (copy->LockBits(&whole, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &target) ==
        Gdiplus::Ok) {
        for (UINT row = 0; row < height; ++row) {
            memcpy(static_cast<BYTE*>(target.Scan0) + row * target.Stride,
                   static_cast<const BYTE*>(source.Scan0) + row * source.Stride, width * 4);
        }
        copy->UnlockBits(&target);
    }
    decoded->UnlockBits(&source);
    return copy;
}

Gdiplus::Bitmap* DecodeResourceBytes(const void* bytes, DWORD size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    Gdiplus::Bitmap* result = nullptr;
    void* target = GlobalLock(block);
    if (target != nullptr) {
        memcpy(target, bytes, size);
        IStream* stream = nullptr;
        if (CreateStreamOnHGlobal(block, FALSE, &stream) == S_OK) {
            auto* decoded = new Gdiplus::Bitmap(stream);
            if (decoded != nullptr) {
                result = CopyPixels(decoded);
                delete decoded;
            }
            stream->Release();
        }
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return result;
}

void CopyFromBackBuffer(int x, int y, int width, int height) {
    BitBlt(Ui.windowSurface, x, y, width, height, Ui.backBuffer, x, y, SRCCOPY);
}

RECT ClientRectOfControl(HWND control) {
    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, Ui.mainWindow, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

void DrawTabCaption(const DRAWITEMSTRUCT* item) {
    char caption[256] = {};
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = caption;
    tab.cchTextMax = sizeof(caption);
    SendMessageA(Ui.tabControl, TCM_GETITEMA, item->itemID, reinterpret_cast<LPARAM>(&tab));
    caption[sizeof(caption) - 1] = '\0';

    HBRUSH background = CreateSolidBrush(kSkinBackgroundGdi);
    FillRect(item->hDC, &item->rcItem, background);
    DeleteObject(background);
    SetBkColor(item->hDC, kSkinBackgroundGdi);
    SetTextColor(item->hDC, kTabCaptionColour);
    SetTextAlign(item->hDC, TA_CENTER | TA_TOP);
    TextOutA(item->hDC, (item->rcItem.left + item->rcItem.right) / 2, item->rcItem.top + 3,
             caption, static_cast<int>(strlen(caption)));
}

void DrawFieldLabel(HWND label, const wchar_t* text) {
    RECT place = ClientRectOfControl(label);
    DrawSkinText(Ui.windowSurface, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, text, kLabelTextSize, kLabelColour, false, 'L',
                 Gdiplus::FontStyleBold);
}

bool IsSkinSurface(HWND control) {
    if (control == Ui.topSeparator || control == Ui.bottomSeparator) return true;
    for (HWND surface : Ui.buttonSurfaces) {
        if (control == surface) return true;
    }
    return false;
}

}  // namespace

Gdiplus::Bitmap* LoadPngResource(int resourceNumber) {
    Gdiplus::Bitmap* picture = nullptr;
    HRSRC resource = FindResourceA(Ui.instance, MAKEINTRESOURCEA(resourceNumber), RT_RCDATA);
    if (resource != nullptr) {
        DWORD size = SizeofResource(Ui.instance, resource);
        HGLOBAL loaded = LoadResource(Ui.instance, resource);
        const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (bytes != nullptr && size > 0) picture = DecodeResourceBytes(bytes, size);
    }
    return picture != nullptr ? picture : EmptyPicture();
}

void ComposeBackBuffer(int W, int H) {
    Ui.backBufferGraphics = new Gdiplus::Graphics(Ui.backBuffer);
    Gdiplus::Graphics& graphics = *Ui.backBufferGraphics;
    Gdiplus::SolidBrush background{Gdiplus::Color(kSkinBackgroundArgb)};
    graphics.FillRectangle(&background, Gdiplus::RectF(0.0f, 0.0f,
                                                       static_cast<float>(Ui.windowWidth),
                                                       static_cast<float>(Ui.windowHeight)));
    for (int index = 0; index < kImageButtonCount; ++index) {
        ImageButton& button = Ui.buttons[index];
        button.picture = LoadPngResource(VESMARIN_READ_PICTURE_RESOURCE + index);
        ButtonPlace place = PlaceOfButton(index, W, H);
        button.x = place.x;
        button.y = place.y;
        button.width = place.width;
        button.height = place.height;
        button.highlightEnabled = 1;
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        if (button.picture != nullptr) {
            graphics.DrawImage(button.picture,
                               Gdiplus::Rect(button.x, button.y, button.width, button.height));
        }
    }
    const ImageButton& copy = Ui.buttons[kCopyButton];
    {
        Gdiplus::Pen square(Gdiplus::Color(kCopySquareColour), 2.0f);
        graphics.DrawRectangle(&square, copy.x + 96, copy.y + 5, 14, 14);
    }
    {
        Gdiplus::Pen line(Gdiplus::Color(kSeparatorColour), 1.0f);
        graphics.DrawLine(&line, 10, 65, W - 10, 65);
    }
    {
        Gdiplus::Pen line(Gdiplus::Color(kSeparatorColour), 1.0f);
        graphics.DrawLine(&line, 10, H - 30, W - 10, H - 30);
    }
}

void DrawWaitPicture(const RECT& client) {
    Ui.waitPicture = LoadPngResource(VESMARIN_WAIT_PICTURE_RESOURCE);
    Ui.windowGraphics = new Gdiplus::Graphics(Ui.windowSurface);
    Ui.windowGraphics->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    int cx = (client.left + client.right) / 2;
    int cy = (client.top + client.bottom) / 2;
    int half = kWaitPictureSize / 2;
    Ui.windowGraphics->DrawImage(
        Ui.waitPicture, Gdiplus::Rect(cx - half, cy - half, kWaitPictureSize, kWaitPictureSize));
}

void DrawOwnerItem(const DRAWITEMSTRUCT* item) {
    if (item->hwndItem == Ui.tabControl) {
        DrawTabCaption(item);
    } else if (item->hwndItem == Ui.modemLabel) {
        DrawFieldLabel(Ui.modemLabel, L"Модем:");
    } else if (item->hwndItem == Ui.commandLabel) {
        DrawFieldLabel(Ui.commandLabel, L"Команда:");
    } else if (IsSkinSurface(item->hwndItem)) {
        RECT place = ClientRectOfControl(item->hwndItem);
        CopyFromBackBuffer(place.left, place.top, place.right - place.left,
                           place.bottom - place.top);
    }
}

bool PointOnButton(int index, int x, int y) {
    const ImageButton& button = Ui.buttons[index];
    return button.x <= x && x <= button.x + button.width && button.y <= y &&
           y <= button.y + button.height;
}

bool UpdateButtonHover(int index, int x, int y) {
    ImageButton& button = Ui.buttons[index];
    bool inside = PointOnButton(index, x, y);
    int left = button.x - kHighlightMargin, top = button.y - kHighlightMargin;
    int width = button.width + 2 * kHighlightMargin;
    int height = button.height + 2 * kHighlightMargin;
    if (inside && button.hovered == 0) {
        button.hovered = 1;
        if (button.highlightEnabled != 0) {
            BLENDFUNCTION blend = {AC_SRC_OVER, 0, kHighlightAlpha, 0};
            AlphaBlend(Ui.windowSurface, left, top, width, height, Ui.highlightSurface,
                       kHighlightMargin, kHighlightMargin, width, height, blend);
        }
    } else if (!inside && button.hovered == 1) {
        button.hovered = 0;
        CopyFromBackBuffer(left, top, width, height);
    }
    return inside;
}

void DrawSkinText(HDC surface, int x, int y, int width, int height, const wchar_t* text,
                  int size, unsigned int colour, bool vertical, char alignment, int style) {
    Gdiplus::Graphics graphics(surface);
    graphics.SetTextRenderingHint((style & Gdiplus::FontStyleItalic) != 0
                                      ? Gdiplus::TextRenderingHintAntiAlias
                                      : Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::RectF layout(static_cast<float>(x), static_cast<float>(y),
                          static_cast<float>(width), static_cast<float>(height));
    Gdiplus::FontFamily family(L"Times New Roman");
    Gdiplus::Font font(&family, static_cast<float>(size), style, Gdiplus::UnitPixel);
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    switch (alignment) {
        case 'C': format.SetAlignment(Gdiplus::StringAlignmentCenter); break;
        case 'L': format.SetAlignment(Gdiplus::StringAlignmentNear); break;
        case 'R': format.SetAlignment(Gdiplus::StringAlignmentFar); break;
        default: break;
    }
    if (vertical) format.SetFormatFlags(Gdiplus::StringFormatFlagsDirectionVertical);
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    graphics.DrawString(text, -1, &font, layout, &format, &brush);
}
