#include "window/opendialog.h"

#include "base/text.h"

#include <commdlg.h>

namespace dynlog {

std::vector<std::string> AskOpenNames(HWND owner) {
  // Several names come as the folder and then each name, every one ended by a zero.
  std::wstring buffer(32 * 1024, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Gespeicherte Tests (*.txt, *.csv)\0*.txt;*.csv\0Textdatei\0*.txt\0CSV "
                    L"(Semikolon)\0*.csv\0alle Dateien\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  // The dialog would otherwise leave the working folder where the person went.
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST |
              OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn))
    return {};
  std::vector<std::wstring> parts;
  for (const wchar_t* p = buffer.c_str(); *p; p += parts.back().size() + 1)
    parts.emplace_back(p);
  std::vector<std::string> names;
  if (parts.size() == 1) {
    names.push_back(base::Narrow(parts[0]));
    return names;
  }
  std::wstring folder = parts[0];
  if (!folder.empty() && folder.back() != L'\\')
    folder += L'\\';
  for (std::size_t i = 1; i < parts.size(); ++i)
    names.push_back(base::Narrow(folder + parts[i]));
  return names;
}

} // namespace dynlog
