// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_PLOT_RATING_FIGURE_H_
#define XSRATING_PLOT_RATING_FIGURE_H_

// The figure of a rating as a PNG image, drawn through the Qt painter: the
// page of figure/layout.h (LayOutFigure), the same charts the viewer shows
// and the SVG holds. Needs a QGuiApplication (fonts), though no display: the
// offscreen platform does.

#include <QImage>
#include <string>

#include "core/base/status.h"
#include "figure/figure_request.h"

namespace xsrating {

// The page of `request` drawn on a white ground, one pixel a unit; a null
// image when one of its size cannot be had.
QImage FigureImage(const figure::FigureRequest& request);

// FigureImage encoded as PNG, carrying the own-file mark (core/own_files.h),
// into `*png`. Fails, `*png` unchanged, when the image cannot be made or
// encoded; the message says the figure was not drawn and why.
Status FigurePng(const figure::FigureRequest& request, std::string* png);

}  // namespace xsrating

#endif  // XSRATING_PLOT_RATING_FIGURE_H_
