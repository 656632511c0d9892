// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins for the figure module that the loader must refuse: built once for
// another interface version, once without the entry point at all.
#include "figure_abi/figure_module.h"

#define FAKE_MODULE_EXPORT __attribute__((visibility("default")))

#ifdef FAKE_MODULE_WITHOUT_ENTRY_POINT
extern "C" FAKE_MODULE_EXPORT int XsratingSomethingElse() { return 0; }
#else
// The module of the version before, as an older package leaves it beside a
// newer program: it answers only to its own version, whose request has no
// hydrograph, and would read this program's request wrongly.
extern "C" FAKE_MODULE_EXPORT int XsratingRenderFigure(
    int abi_version, const XsratingFigureRequest*) {
  return abi_version == XSRATING_FIGURE_ABI_VERSION - 1
             ? XSRATING_FIGURE_OK
             : XSRATING_FIGURE_WRONG_VERSION;
}

extern "C" FAKE_MODULE_EXPORT void XsratingEndFigures() {}
#endif
