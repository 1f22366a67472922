#include "window/folderdialog.h"

#include "base/handles.h"
#include "base/text.h"
#include "files/seriesplace.h"
#include "ui/questionbox.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace dynlog {
namespace {

// The file dialog in its folder mode, opened in the folder that holds start with start's name in
// its path field, so that OK takes start (a root is opened itself, its path in the field): Wine's
// dialog takes nothing on OK with the field empty, where Windows takes the folder shown. None
// when the system has no such dialog; an empty choice when the person cancelled.
std::optional<std::optional<std::string>> AskWithFileDialog(HWND owner, const std::wstring& title,
                                                            const std::string& utf8Start) {
  base::Com<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(dialog.Put()))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                     FOS_NOCHANGEDIR);
  dialog->SetTitle(title.c_str());
  const std::string parent = ParentFolder(utf8Start);
  const std::wstring opened = base::Widen(parent.empty() ? utf8Start : parent);
  base::Com<IShellItem> folder;
  if (!utf8Start.empty() &&
      SUCCEEDED(SHCreateItemFromParsingName(opened.c_str(), nullptr, IID_IShellItem,
                                            reinterpret_cast<void**>(folder.Put())))) {
    dialog->SetFolder(folder.get());
    dialog->SetFileName(base::Widen(parent.empty() ? utf8Start : FolderOwnName(utf8Start)).c_str());
  }
  const HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
    return std::optional<std::string>{};
  base::Com<IShellItem> chosen;
  wchar_t* path = nullptr;
  if (FAILED(shown) || FAILED(dialog->GetResult(chosen.Put())) ||
      FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)))
    return std::nullopt;
  std::string utf8 = base::Narrow(path);
  CoTaskMemFree(path);
  return utf8;
}

int CALLBACK SelectStart(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start)
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

// The tree of folders, for a system without the file dialog's folder mode.
std::optional<std::string> AskWithTree(HWND owner, const std::wstring& title,
                                       const std::wstring& start) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStart;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  std::optional<std::string> chosen;
  if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, path))
      chosen = base::Narrow(path);
    CoTaskMemFree(list);
  }
  return chosen;
}

// The Windows folder and the program files folders, as this system names them.
std::vector<std::string> SystemFolders() {
  std::vector<std::string> folders;
  for (int id : {CSIDL_WINDOWS, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)))
      folders.push_back(base::Narrow(path));
  }
  return folders;
}

} // namespace

std::optional<std::string> AskFolder(HWND owner, const std::string& utf8Title,
                                     const std::string& utf8Start) {
  // Both dialogs need COM on this thread for as long as they show.
  const base::ComScope com;
  const std::wstring title = base::Widen(utf8Title);
  if (auto chosen = AskWithFileDialog(owner, title, utf8Start))
    return *chosen;
  return AskWithTree(owner, title, base::Widen(utf8Start));
}

std::optional<std::string> AskSeriesFolder(HWND owner, const std::string& utf8Start) {
  // No series yet: the working folder, the program's own, where km470.ini is.
  std::string start = utf8Start;
  if (start.empty()) {
    std::wstring here(GetCurrentDirectoryW(0, nullptr), L'\0');
    here.resize(GetCurrentDirectoryW(static_cast<DWORD>(here.size()), here.data()));
    start = base::Narrow(here);
  }
  for (;;) {
    const auto folder = AskFolder(
        owner, "Ordner der Prüfreihe: jeder Test wird bei Stop von selbst darin gespeichert.",
        start);
    if (!folder)
      return std::nullopt;
    const auto question = SeriesPlaceQuestion(*folder, SystemFolders());
    if (!question)
      return folder;
    // The safe answer first, as Enter presses it.
    const int answer = ui::Ask(
        owner, "Prüfreihe", *question,
        {{"Anderen &Ordner wählen", IDRETRY}, {"&Hier anlegen", IDYES}, {"Abbrechen", IDCANCEL}});
    if (answer == IDYES)
      return folder;
    if (answer != IDRETRY)
      return std::nullopt;
    start = *folder;
  }
}

} // namespace dynlog
