#include "window/savedialog.h"

#include "base/text.h"

#include <commdlg.h>
#include <dlgs.h>

#include <cwctype>

namespace dynlog {
namespace {

// The extension of each file type the dialog offers, by its filter index from 1; the last type,
// all files, has none.
constexpr const wchar_t* kExtensions[] = {L"txt", L"csv"};

bool EndsWithExtension(const std::wstring& name, const wchar_t* extension) {
  const std::size_t n = std::wcslen(extension) + 1;
  if (name.size() < n || name[name.size() - n] != L'.')
    return false;
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (std::towlower(name[name.size() - n + 1 + i]) != extension[i])
      return false;
  return true;
}

// Keeps the name in the dialog with the chosen type: a name ending in the other type's extension
// takes this one's, and a bare name gets it on saving. The dialog's question before replacing a
// file then asks about the file that will be written.
UINT_PTR CALLBACK FollowTheType(HWND child, UINT message, WPARAM, LPARAM lp) {
  if (message != WM_NOTIFY)
    return 0;
  const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
  const DWORD type = note->lpOFN->nFilterIndex;
  if (note->hdr.code != CDN_TYPECHANGE || type < 1 || type > std::size(kExtensions))
    return 0;
  const HWND dialog = GetParent(child);
  const wchar_t* extension = kExtensions[type - 1];
  CommDlg_OpenSave_SetDefExt(dialog, extension);
  wchar_t typed[MAX_PATH] = {};
  if (CommDlg_OpenSave_GetSpec(dialog, typed, MAX_PATH) <= 0)
    return 0;
  std::wstring name = typed;
  for (const wchar_t* other : kExtensions) {
    if (other != extension && EndsWithExtension(name, other)) {
      name.resize(name.size() - std::wcslen(other));
      name += extension;
      for (int id : {cmb13, edt1})
        CommDlg_OpenSave_SetControlText(dialog, id, name.c_str());
    }
  }
  return 0;
}

// The system's save dialog, starting from lastName, which takes the name chosen. It asks before
// it replaces a file; a name in a folder that does not exist reaches the file error text.
std::optional<std::string> AskName(HWND owner, std::wstring& lastName, const wchar_t* filter,
                                   const wchar_t* extension, LPOFNHOOKPROC hook) {
  wchar_t file[MAX_PATH] = {};
  lastName.copy(file, MAX_PATH - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = extension;
  ofn.lpfnHook = hook;
  // The dialog would otherwise leave the working folder where the person went.
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT |
              OFN_NOCHANGEDIR | (hook ? OFN_ENABLEHOOK : 0);
  if (!GetSaveFileNameW(&ofn))
    return std::nullopt;
  lastName = file;
  return base::Narrow(lastName);
}

} // namespace

std::optional<std::string> AskSaveName(HWND owner, std::wstring& lastName) {
  return AskName(owner, lastName, L"Textdatei\0*.txt\0CSV (Semikolon)\0*.csv\0alle Dateien\0*.*\0",
                 L"txt", FollowTheType);
}

std::optional<std::string> AskPngName(HWND owner, std::wstring& lastName) {
  return AskName(owner, lastName, L"PNG-Bild\0*.png\0", L"png", nullptr);
}

} // namespace dynlog
