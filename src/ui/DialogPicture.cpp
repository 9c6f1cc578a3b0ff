#include "ui/DialogPicture.h"

#include <cstring>
#include <vector>

#include "ClassRender/ImageDecode.h"

namespace {

BOOL CALLBACK FindPicture(HWND hChild, LPARAM lParam) {
    char szClass[16] = {};
    GetClassNameA(hChild, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, "Static") != 0) return TRUE;
    if ((GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hChild;
    return FALSE;
}

HWND PictureControl(HWND hDlg) {
    HWND hPicture = nullptr;
    EnumChildWindows(hDlg, FindPicture, reinterpret_cast<LPARAM>(&hPicture));
    return hPicture;
}

BITMAPINFO TopDownInfo(LONG nWidth, LONG nHeight, WORD nBits) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = nBits;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The resource's pixels as 4 bytes each (B, G, R, unused), rows top down.
bool ReadBitmap(HINSTANCE hInstance, UINT nBitmapId, ImageRGBA& out) {
    const HBITMAP hBitmap = static_cast<HBITMAP>(
        LoadImageA(hInstance, MAKEINTRESOURCEA(nBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!hBitmap) return false;
    BITMAP bm;
    bool bRead = false;
    if (GetObjectA(hBitmap, sizeof bm, &bm) == sizeof bm && bm.bmWidth > 0 && bm.bmHeight > 0) {
        out.nWidth = uint32_t(bm.bmWidth);
        out.nHeight = uint32_t(bm.bmHeight);
        out.aPixels.assign(size_t(out.nWidth) * out.nHeight * 4, 0);
        BITMAPINFO info = TopDownInfo(bm.bmWidth, bm.bmHeight, 32);
        const HDC hdc = GetDC(nullptr);
        bRead = hdc && GetDIBits(hdc, hBitmap, 0, UINT(bm.bmHeight), out.aPixels.data(), &info, DIB_RGB_COLORS) ==
                           bm.bmHeight;
        if (hdc) ReleaseDC(nullptr, hdc);
    }
    DeleteObject(hBitmap);
    return bRead;
}

// A 24-bit DIB section holding the image (its fourth bytes are dropped).
HBITMAP MakeBitmap(const ImageRGBA& image) {
    BITMAPINFO info = TopDownInfo(LONG(image.nWidth), LONG(image.nHeight), 24);
    void* pBits = nullptr;
    const HBITMAP hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap || !pBits) {
        if (hBitmap) DeleteObject(hBitmap);
        return nullptr;
    }
    const size_t nStride = (size_t(image.nWidth) * 3 + 3) & ~size_t(3);
    for (uint32_t y = 0; y < image.nHeight; ++y) {
        uint8_t* pRow = static_cast<uint8_t*>(pBits) + y * nStride;
        const uint8_t* pSrc = &image.aPixels[size_t(y) * image.nWidth * 4];
        for (uint32_t x = 0; x < image.nWidth; ++x) std::memcpy(pRow + x * 3, pSrc + x * 4, 3);
    }
    GdiFlush();
    return hBitmap;
}

}  // namespace

bool FitDialogPicture(HWND hDlg, HINSTANCE hInstance, UINT nBitmapId) {
    const HWND hPicture = PictureControl(hDlg);
    RECT rc;
    if (!hPicture || !GetClientRect(hPicture, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
    ImageRGBA source;
    if (!ReadBitmap(hInstance, nBitmapId, source)) return false;
    // Bilinear where the control is larger, an area-weighted tent where smaller.
    const HBITMAP hFitted = MakeBitmap(ResizeImage(source, uint32_t(rc.right), uint32_t(rc.bottom)));
    if (!hFitted) return false;
    // The bitmap the control loaded from the template comes back to us.
    const HGDIOBJ hOld = reinterpret_cast<HGDIOBJ>(
        SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hFitted)));
    if (hOld && hOld != hFitted) DeleteObject(hOld);
    return true;
}

void ReleaseDialogPicture(HWND hDlg) {
    const HWND hPicture = PictureControl(hDlg);
    if (!hPicture) return;
    const HGDIOBJ hOld = reinterpret_cast<HGDIOBJ>(SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (hOld) DeleteObject(hOld);
}
