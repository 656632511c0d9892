// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_FIGURE_ABI_FIGURE_MODULE_H_
#define XSRATING_FIGURE_ABI_FIGURE_MODULE_H_

// The PNG figure of a run (plot/rating_figure.h) behind plain C functions, in
// a module that xsrating-cli loads only when --plot=png asks for one. Qt GUI
// and the libraries it pulls in are dozens of shared libraries: linked into
// the program they would be mapped at every start, and a run that takes a
// millisecond would take ten times as long. Only the module links Qt; the SVG
// figure needs no toolkit and is drawn by the program itself
// (figure/svg_painter.h), though the module draws it too.
//
// The module exports two functions: XsratingRenderFigure draws, and
// XsratingEndFigures ends the Qt that drawing started (their names are
// XSRATING_FIGURE_ENTRY_POINT and XSRATING_FIGURE_END_POINT, their types
// XsratingRenderFigureFn and XsratingEndFiguresFn). Everything crosses the
// boundary as C types, texts as NUL-terminated UTF-8, and nothing allocated on
// one side is freed on the other: the figure and any message come back through
// callbacks and are only valid during the callback. So a program and a module
// built with different compilers or C runtimes still work together, as long as
// they agree on XSRATING_FIGURE_ABI_VERSION.
//
// This header is C as well as C++ and depends on nothing but <stddef.h>.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Raised whenever XsratingFigureRequest or the meaning of a call changes.
#define XSRATING_FIGURE_ABI_VERSION 4

// The exported symbols, for dlsym and GetProcAddress.
#define XSRATING_FIGURE_ENTRY_POINT "XsratingRenderFigure"
#define XSRATING_FIGURE_END_POINT "XsratingEndFigures"

// What XsratingRenderFigure returns.
#define XSRATING_FIGURE_OK 0
// write_error has been called once with the reason.
#define XSRATING_FIGURE_FAILED 1
// The module was built for another XSRATING_FIGURE_ABI_VERSION. Nothing of
// the request has been read and no callback has been called.
#define XSRATING_FIGURE_WRONG_VERSION 2

// Receives `size` bytes at `data`, which stay valid only until it returns.
// `context` is the request's.
typedef void (*XsratingFigureWriteFn)(void* context, const char* data,
                                      size_t size);

// One surveyed point of the section: its distance and elevation.
typedef struct XsratingFigurePoint {
  double distance;
  double elevation;
} XsratingFigurePoint;

// One row of the hydraulic table, as core/hydraulics/hydraulic_table.h defines
// it.
typedef struct XsratingFigureRow {
  double stage;
  double area;
  double perimeter;
  double hydraulic_radius;
  double top_width;
  double mean_velocity;
  double discharge;
} XsratingFigureRow;

// One roughness zone as it lies on the section: from one distance to
// another, with its Manning's n.
typedef struct XsratingFigureZone {
  double from;
  double to;
  double roughness;
} XsratingFigureZone;

// Whether the calibration used a gauging, or why it left it out.
#define XSRATING_FIGURE_GAUGING_USED 0
#define XSRATING_FIGURE_GAUGING_AT_OR_BELOW_BED 1
#define XSRATING_FIGURE_GAUGING_ABOVE_CREST 2

// One gauging as the check of a rating found it.
typedef struct XsratingFigureGauging {
  double stage;
  double discharge;
  int use;  // One of XSRATING_FIGURE_GAUGING_*.
  // For a gauging used: the roughness it implies, the discharge at its stage
  // with the calibrated roughness, and (Q - Q_c) / Q_c * 100. 0 otherwise.
  double roughness;
  double calibrated_discharge;
  double deviation_percent;
} XsratingFigureGauging;

// One row of the table beside its discharge with the calibrated roughness.
typedef struct XsratingFigureCalibratedRow {
  double stage;
  double discharge;
  double calibrated_discharge;
  int extrapolated;  // 1 above the highest gauging used, else 0.
} XsratingFigureCalibratedRow;

// The rating checked against gaugings, as core/calibration/rating_analysis.h
// finds it: what the figure draws of it. The arrays stay the caller's.
typedef struct XsratingFigureAnalysis {
  const XsratingFigureGauging* gaugings;  // In file order.
  size_t gauging_count;
  const XsratingFigureCalibratedRow* rows;  // One per row of the table.
  size_t row_count;
  double calibrated_roughness;
  double lowest_gauged_stage;   // Of the gaugings used.
  double highest_gauged_stage;  // Of the gaugings used.
  // The relative standard error Se in percent when there is one (more than
  // one gauging used): has_standard_error 1; otherwise 0 and 0.
  int has_standard_error;
  double standard_error_percent;
} XsratingFigureAnalysis;

// One reading of a stage record as the hydrograph draws it. Times are days
// since 1970-01-01 0:00 of the station's clock.
typedef struct XsratingFigureReading {
  double day;
  double stage;      // m; NaN on a break, where the record has a gap.
  double discharge;  // m³/s; NaN where there is none (above the crest).
} XsratingFigureReading;

// One calendar day of a stage record and its daily mean discharge.
typedef struct XsratingFigureDay {
  double day;   // Its 0:00.
  double mean;  // m³/s; NaN when the day has none (缺测).
} XsratingFigureDay;

// A stage record's hydrograph (figure/figure_request.h): its readings,
// already reduced for drawing (at most a few thousand), and its days. The
// arrays stay the caller's.
typedef struct XsratingFigureHydrograph {
  const XsratingFigureReading* readings;  // In time order; NULL when none.
  size_t reading_count;
  const XsratingFigureDay* days;  // In order; NULL when none.
  size_t day_count;
  double bed;         // The section's lowest point, m.
  double bank_crest;  // Its lower bank crest, m.
} XsratingFigureHydrograph;

// One figure to draw: the section and the hydraulic table of the rating that
// the program has just computed and written, and the rating's check against
// gaugings when there is one, so that the figure shows exactly the numbers of
// the files written. The arrays stay the caller's.
typedef struct XsratingFigureRequest {
  const XsratingFigurePoint* points;  // In survey order; NULL when none.
  size_t point_count;
  const XsratingFigureRow* rows;  // Ascending stages; NULL when none.
  size_t row_count;
  const char* format;  // "svg" or "png".
  const char* title;   // The SVG document's title (UTF-8); may be NULL.
  // The line above the charts (UTF-8): the survey, roughness and slope. NULL
  // or empty for none.
  const char* heading;
  // The check against gaugings; NULL without one.
  const XsratingFigureAnalysis* analysis;
  // The roughness zones on the section, in ascending distance, when its
  // roughness varies across it; NULL when none.
  const XsratingFigureZone* zones;
  size_t zone_count;
  // The hydrograph of a stage record, drawn below the other charts; NULL
  // without one.
  const XsratingFigureHydrograph* hydrograph;
  void* context;  // Passed back to both callbacks.
  // Called once with the whole file (an SVG document or a PNG image) when the
  // figure is drawn.
  XsratingFigureWriteFn write_figure;
  // Called once with a message in Simplified Chinese (UTF-8, no terminating
  // NUL counted in the size) saying what went wrong: an incomplete request, an
  // unknown format, or a figure that could not be encoded. May be NULL.
  XsratingFigureWriteFn write_error;
} XsratingFigureRequest;

// Draws the figure of `request`, which the module built for `abi_version`
// understands; returns one of XSRATING_FIGURE_OK, XSRATING_FIGURE_FAILED and
// XSRATING_FIGURE_WRONG_VERSION. With `request` NULL it only checks the
// version: XSRATING_FIGURE_OK when it is the module's, so a program can refuse
// a module before any run.
//
// The first drawing starts Qt in the process: a QApplication on the offscreen
// platform unless QT_QPA_PLATFORM names one (so no display is needed), with
// Qt's notes to developers kept off standard error; critical and fatal
// messages still reach it. Later drawings reuse it, as they reuse a
// QApplication the process already has. Call from the main thread; nothing of
// the call throws.
typedef int (*XsratingRenderFigureFn)(int abi_version,
                                      const XsratingFigureRequest* request);

// Ends the Qt that XsratingRenderFigure started, if it did, and gives back
// everything it holds (fonts, the platform); a later drawing starts it again.
// Call it from the main thread before the process ends, while the program's
// main() still runs: Qt cannot be ended safely once the libraries have begun
// to unload. Never unload the module itself.
typedef void (*XsratingEndFiguresFn)(void);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif  // XSRATING_FIGURE_ABI_FIGURE_MODULE_H_
