#pragma once
// The dialogs' pictures at their controls' exact pixel size.
//
// A bitmap static control with SS_REALSIZECONTROL stretches its bitmap to the
// control with a plain StretchBlt, in the DC's default stretch mode,
// BLACKONWHITE, which ANDs the colour values of the rows or columns it drops
// into the ones it keeps. Where the control comes out smaller than the bitmap
// (the dialog's size follows its font and the DPI) that makes rows of
// coloured dashes; where it comes out larger, rows and columns are repeated.
// So the dialog gives the control its bitmap resampled once, with a filter,
// to the control's client size, and nothing is stretched.
#include <windows.h>

// Replaces the bitmap of the dialog's picture control (the first static
// control of the SS_BITMAP type) by bitmap resource nBitmapId resampled to
// the control's client size. False when there is no such control or the
// bitmap cannot be read; the control then keeps what it had.
bool FitDialogPicture(HWND hDlg, HINSTANCE hInstance, UINT nBitmapId);

// Takes the picture back from the control and deletes it (WM_DESTROY).
void ReleaseDialogPicture(HWND hDlg);
