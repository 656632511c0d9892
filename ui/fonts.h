// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_FONTS_H_
#define XSRATING_UI_FONTS_H_

// Typefaces named by family lists, so that Chinese Windows and Linux each find
// one of theirs and the choice never falls to the locale's default fallback
// (which, outside a Chinese locale, may be a brush-script face).

#include <QFont>

namespace xsrating {

// The sans-serif face of message boxes and the viewer: the Chinese Windows
// interface face, else the sans-serif CJK faces of Linux. Point size as
// QFont's default.
QFont InterfaceFont();

// The Song (Ming) face of the window's labels and boxes at `points`: SimSun
// on Chinese Windows, else a Song face of Linux whose lines are one em apart
// as SimSun's are, so wrapped labels fit the heights of the layout.
QFont SongTi(double points);

// The Song face for list rows (drives, folders, files): SimSun on Windows;
// elsewhere a Song face with proportional Latin letters, since the Latin
// letters of the Linux face above are a typewriter's.
QFont SongTiForLists(double points);

}  // namespace xsrating

#endif  // XSRATING_UI_FONTS_H_
