#pragma once
// A colour PostScript printer in the test's Wine prefix whose port is a file, so that what is
// printed on it lands there: Wine's own PostScript driver, described by the PPD of an A4 page.
#include "base/text.h"
#include "testfiles.h"

#include <windows.h>
#include <winspool.h>

#include <stdexcept>
#include <string>

namespace testsupport {

class FilePrinter {
public:
  static constexpr const wchar_t* kName = L"DYNLOG Testdrucker";

  // Adds the printer, printing into the file at utf8Path, as the default printer.
  explicit FilePrinter(const std::string& utf8Path) {
    wchar_t folder[MAX_PATH] = {};
    DWORD size = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                    sizeof folder, &size))
      throw std::runtime_error("no printer driver folder");
    WriteBytes(std::wstring(folder) + L"\\dynlogtest.ppd", kPpd);
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"Wine PostScript Driver");
    driver.pEnvironment = const_cast<wchar_t*>(L"Windows NT x86");
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"dynlogtest.ppd");
    AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    Remove(); // one a broken run left behind
    const std::wstring port = base::Widen(utf8Path);
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(kName);
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer)
      throw std::runtime_error("no printer added: " + std::to_string(GetLastError()));
    ClosePrinter(printer);
    SetDefaultPrinterW(kName);
  }
  ~FilePrinter() { Remove(); }
  FilePrinter(const FilePrinter&) = delete;
  FilePrinter& operator=(const FilePrinter&) = delete;

private:
  static void Remove() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<wchar_t*>(kName), &printer, &access)) {
      DeletePrinter(printer);
      ClosePrinter(printer);
    }
  }

  static constexpr const char* kPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "DYNLOGT.PPD"
*Manufacturer: "DYNLOG"
*Product: "(Testdrucker)"
*ModelName: "DYNLOG Testdrucker"
*NickName: "DYNLOG Testdrucker"
*ShortNickName: "DYNLOG Testdrucker"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*TTRasterizer: Type42
*DefaultResolution: 300dpi
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";
};

} // namespace testsupport
