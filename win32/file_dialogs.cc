// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/file_dialogs.h"

#include <commdlg.h>
#include <windows.h>

#include <string>

#include "core/base/encoding.h"

namespace xsrating {

std::string ChooseFile(HWND owner, const FileDialogRequest& request) {
  // Each filter's text and pattern end in a NUL, and the list in another.
  std::wstring filter;
  for (const FileDialogRequest::Filter& entry : request.filters) {
    filter += Utf8ToUtf16(entry.text);
    filter += L'\0';
    filter += Utf8ToUtf16(entry.pattern);
    filter += L'\0';
  }
  filter += L'\0';
  std::wstring file(32768, L'\0');
  const std::wstring suggested = Utf8ToUtf16(request.suggested);
  suggested.copy(file.data(), file.size() - 1);
  const std::wstring caption = Utf8ToUtf16(request.caption);
  const std::wstring folder = Utf8ToUtf16(request.folder);
  const std::wstring extension = Utf8ToUtf16(
      request.extension.empty() ? std::string() : request.extension.substr(1));

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = caption.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                 OFN_NOCHANGEDIR |
                 (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen =
      request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return {};
  return Utf16ToUtf8(file.c_str());
}

}  // namespace xsrating
