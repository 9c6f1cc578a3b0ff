#pragma once
// The digit archive: the fourteen glyph images of the clock and the FPS
// counter, enciphered. The content tool writes it and the saver reads it,
// both with this password and these entry names.

constexpr char kDigitArchivePassword[] = "MQ P5P ZZ";

constexpr int kDigitEntryCount = 14;
// Digits 0 to 9, then the colon, the dot, "am" and "pm".
constexpr const char* kDigitEntries[kDigitEntryCount] = {
    "Digits\\digit_0.tga", "Digits\\digit_1.tga", "Digits\\digit_2.tga",    "Digits\\digit_3.tga",
    "Digits\\digit_4.tga", "Digits\\digit_5.tga", "Digits\\digit_6.tga",    "Digits\\digit_7.tga",
    "Digits\\digit_8.tga", "Digits\\digit_9.tga", "Digits\\digit_ddot.tga", "Digits\\digit_dot.tga",
    "Digits\\digit_am.tga", "Digits\\digit_pm.tga"};
