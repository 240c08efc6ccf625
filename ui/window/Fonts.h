#pragma once
// The dialogs name "MS UI Gothic", which Linux does not have; IPA P Gothic (installed by the setup
// script) stands in for it, and every Japanese text has a font with its glyphs.

void InstallFontSubstitutes();
