// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_ZONES_DIALOG_H_
#define XSRATING_WIN32_ZONES_DIALOG_H_

// The roughness zones' dialog on Windows, in the system's own controls: a
// report list of breakpoint distance and n with two boxes that edit the
// selected row, rows added and removed, the method, the zones file read and
// saved in the command line's format, 不分区, 确定 and 取消.

#include <windows.h>

#include <string>

#include "core/run/run.h"
#include "form/form_controller.h"
#include "win32/file_dialogs.h"

namespace xsrating {

// The dialog's controls, by identifier, for tests.
enum ZonesDialogControl : int {
  kZonesTable = 200,   // The report list: 分区起点距 (m), 糙率 n.
  kZonesFromBox,       // The selected row's breakpoint distance.
  kZonesRoughnessBox,  // The selected row's n.
  kZonesAddRow,        // 添加一行: a row at the end, selected.
  kZonesRemoveRow,     // 删除此行: the selected row.
  kZonesClear,         // 不分区: no rows, which OK takes as no zones.
  kZonesMethod,        // 分区 or 综合.
  kZonesLoad,          // 读入文件…
  kZonesSave,          // 存为文件…
};

// Shows the dialog over `owner` on `choice`, modally, with its file dialogs
// opening in `folder`, and returns whether 确定 took what it shows, then in
// `choice`. 确定 takes only what ZonesFromRows accepts (no zones at all
// included); otherwise its message is told and the dialog stays open, as is
// a zones file that cannot be read or saved. Messages go to `sink` when
// given (it must outlive the call), else to message boxes over the dialog.
bool RunZonesDialog(HWND owner, MessageSink* sink, const std::string& folder,
                    const DialogHooks& hooks, ZonesChoice* choice);

}  // namespace xsrating

#endif  // XSRATING_WIN32_ZONES_DIALOG_H_
