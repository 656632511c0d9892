; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: both programs and the user guide in Program
; Files\xsrating, a Start-menu shortcut for the window (starting in the
; user's Documents, where surveys are, not in Program Files) and one for the
; guide, and an uninstaller listed among the installed programs. It shows
; the licence first. scripts/package-windows.sh builds it with makensis,
; defining
;   VERSION   the version, such as 0.1.0
;   FILES_DIR the folder holding what is installed: xsrating.exe,
;             xsrating-cli.exe, 使用说明.html, README.md and LICENSE
;   ICON      the programs' icon (.ico), which the installer shows too
;   OUT_FILE  the installer to write
; /S installs (and, given to uninstall.exe, uninstalls) without a window; /D=
; as the last argument chooses the folder.

!ifndef VERSION | FILES_DIR | ICON | OUT_FILE
  !error "define VERSION, FILES_DIR, ICON and OUT_FILE (see the head of this file)"
!endif

; 64-bit: the programs are, and wine64 runs nothing else.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!define PRODUCT "xsrating"
!define SHORTCUT_NAME "河道断面水位流量关系计算"
!define GUIDE "使用说明"
; The guide's shortcut in a Start-menu folder of ours: a "使用说明" of its own
; beside other programs' would be taken for theirs, or replace theirs.
!define GUIDE_FOLDER "$SMPROGRAMS\${SHORTCUT_NAME}"
!define UNINSTALL_KEY \
  "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${SHORTCUT_NAME} ${VERSION}"
BrandingText "xsrating ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An earlier installation's folder, when there is one.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${SHORTCUT_NAME}"
VIAddVersionKey /LANG=0 "FileDescription" "${SHORTCUT_NAME} 安装程序"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "The xsrating developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${FILES_DIR}/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The finish page starts nothing: what the installer starts runs as
; administrator, as the installer does, and a window started so would write
; its results with an administrator's rights.
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; The files, named once for both installing and removing.
!macro ProgramFiles action
  !insertmacro ${action} "xsrating.exe"
  !insertmacro ${action} "xsrating-cli.exe"
  !insertmacro ${action} "${GUIDE}.html"
  !insertmacro ${action} "README.md"
  !insertmacro ${action} "LICENSE"
!macroend
!macro InstallFile name
  File "${FILES_DIR}/${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

Section
  ; The shortcut and the uninstall entry are every user's, as the folder is.
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The window starts in the folder its shortcut names, and lists it first:
  ; the Documents (文档) of the user who installs, whose surveys it is for.
  SetShellVarContext current
  SetOutPath "$DOCUMENTS"
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${SHORTCUT_NAME}.lnk" "$INSTDIR\xsrating.exe"
  CreateDirectory "${GUIDE_FOLDER}"
  CreateShortcut "${GUIDE_FOLDER}\${GUIDE}.lnk" "$INSTDIR\${GUIDE}.html"
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${SHORTCUT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The xsrating developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\xsrating.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes only what the installer put there: a file the user left in the
; folder keeps the folder, and the file.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}.lnk"
  Delete "${GUIDE_FOLDER}\${GUIDE}.lnk"
  RMDir "${GUIDE_FOLDER}"
  !insertmacro ProgramFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
