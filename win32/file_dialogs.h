// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_WIN32_FILE_DIALOGS_H_
#define XSRATING_WIN32_FILE_DIALOGS_H_

// Windows' own dialogs that ask for a file to open or a name to save under.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace xsrating {

// What a file dialog asks. UTF-8.
struct FileDialogRequest {
  bool save = false;  // A name to save under, else a file to open.
  std::string caption;
  std::string folder;     // Where it opens; the current folder when empty.
  std::string suggested;  // The path offered for a save; may be empty.
  struct Filter {
    std::string text;     // "文本文件 (*.txt *.csv)"
    std::string pattern;  // "*.txt;*.csv"
  };
  std::vector<Filter> filters;
  // Given to a name typed without one (".png"); empty for none.
  std::string extension;
};

// Asks with GetOpenFileNameW or GetSaveFileNameW over `owner`; a save asks
// before replacing a file. Returns the chosen path (UTF-8), empty when
// cancelled.
std::string ChooseFile(HWND owner, const FileDialogRequest& request);

// The dialogs' links to the person, replaceable in tests.
struct DialogHooks {
  // ChooseFile by default.
  std::function<std::string(HWND owner, const FileDialogRequest& request)>
      choose_file;
  // Called once a dialog of ours is up and before it takes input: tests
  // post the messages a person's input makes to it.
  std::function<void(HWND dialog)> shown;
};

}  // namespace xsrating

#endif  // XSRATING_WIN32_FILE_DIALOGS_H_
