#pragma once

namespace pelanova {

// Maps the Windows font names the screens ask for ("ＭＳ ゴシック", "ＭＳ 明朝",
// their half-width and proportional forms) onto Debian's IPA fonts. Call once
// after the QApplication exists.
void installJapaneseFonts();

// Makes "ＭＳ ゴシック" of 13 pixels, the type of the screens, the
// application's default font. Call after installJapaneseFonts().
void useScreenFont();

} // namespace pelanova
