#include "window/folderdialog.h"

#include "base/text.h"

#include <objbase.h>
#include <shlobj.h>

namespace dynlog {
namespace {

int CALLBACK SelectStart(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start)
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

} // namespace

std::optional<std::string> AskFolder(HWND owner, const std::string& utf8Title,
                                     const std::string& utf8Start) {
  // The dialog with its button for a new folder needs COM on this thread, for as long as it shows.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::wstring title = base::Widen(utf8Title), start = base::Widen(utf8Start);
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
  if (SUCCEEDED(com))
    CoUninitialize();
  return chosen;
}

} // namespace dynlog
