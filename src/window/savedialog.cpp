#include "window/savedialog.h"

#include "base/text.h"
#include "window/csvfile.h"

#include <commdlg.h>

namespace dynlog {

std::optional<std::string> AskSaveName(HWND owner, std::wstring& lastName) {
  wchar_t file[MAX_PATH] = {};
  lastName.copy(file, MAX_PATH - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Textfile\0*.txt\0CSV (Semikolon)\0*.csv\0alle Dateien\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"TXT";
  // The dialog asks before it replaces a file; a name in a folder that does not exist reaches
  // the file error text.
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&ofn))
    return std::nullopt;
  lastName = file;
  if (ofn.nFilterIndex == 2 && !IsCsvName(base::Narrow(file))) {
    // The CSV type chosen, with a name the dialog ended in .TXT or left bare: the file gets .csv,
    // and since the dialog asked about another name, the question about this one is asked here.
    lastName = lastName.substr(0, ofn.nFileExtension ? ofn.nFileExtension - 1 : MAX_PATH) + L".csv";
    if (GetFileAttributesW(lastName.c_str()) != INVALID_FILE_ATTRIBUTES &&
        MessageBoxW(owner, (lastName + L" ist bereits vorhanden.\nErsetzen?").c_str(),
                    L"Speichern unter", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
      return std::nullopt;
  }
  return base::Narrow(lastName);
}

} // namespace dynlog
