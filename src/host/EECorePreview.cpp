// The preview in the Display Properties page (run mode 1): its picture, the
// first phase's handshake (WM_USER starts timer 1, whose tick ends the wait)
// and the watch that ends the preview once its window or the parent is gone.
#include <windows.h>

#include <cstring>

#include "host/CommandLine.h"
#include "host/EECore.h"
#include "resource.h"

// The preview's first phase: about half a second of messages for the preview
// window only, ended by timer 1. It sleeps until a message comes, and wakes
// now and then to end the preview if its window or the parent has gone: a
// wait for messages of a destroyed window would never end.
void CEECore::RunPreviewFirstPhase() {
    constexpr DWORD kWatchMs = 100;
    m_bPreviewWait = 1;
    PostMessageA(m_hWnd, WM_USER, 0, 0);  // answered by StartPreviewTimer
    MSG msg;
    while (m_bPreviewWait == 1 && WatchPreview()) {
        if (!PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kWatchMs, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(0);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CEECore::StartPreviewTimer(HWND hWnd) { SetTimer(hWnd, kPreviewTimer, 500, nullptr); }

void CEECore::EndPreviewFirstPhase(HWND hWnd) {
    m_bPreviewWait = 0;
    KillTimer(hWnd, kPreviewTimer);
}

// The Display Properties page destroys the preview's parent at any moment,
// and a page that ends or crashes may take the parent away without our window
// hearing of it: the preview ends as soon as either window is gone.
bool CEECore::WatchPreview() {
    if (m_nRunMode != RUNMODE_PREVIEW) return true;
    if (!m_bShutDown && m_hWnd && IsWindow(m_hWnd) && IsWindow(m_hParentWnd)) return true;
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);  // its WM_DESTROY runs the shutdown
    EE_Core_Shutdown();
    return false;
}

void CEECore::LoadPreviewPicture() { m_hPreviewBitmap = LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(IDB_PREVIEW)); }

void CEECore::PaintPreview(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc && m_hPreviewBitmap) {
        BITMAP bm;
        std::memset(&bm, 0, sizeof bm);
        GetObjectA(m_hPreviewBitmap, sizeof bm, &bm);
        HDC hMem = CreateCompatibleDC(hdc);
        HGDIOBJ hOld = SelectObject(hMem, m_hPreviewBitmap);
        BitBlt(hdc, 0, 0, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCCOPY);
        SelectObject(hMem, hOld);
        DeleteDC(hMem);
    }
    EndPaint(hWnd, &ps);
}
