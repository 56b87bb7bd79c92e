// A PostScript printer in the test prefix whose port is a file: what the program prints lands in that file, for
// the tests to count its pages and Ghostscript to render them.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>

namespace uitest {

inline const wchar_t TEST_PRINTER[] = L"Velquin Test File Printer";

inline void remove_test_printer() {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<wchar_t*>(TEST_PRINTER), &h, &all)) {
        DeletePrinter(h);
        ClosePrinter(h);
    }
}

// The file printer, made the default printer for the scope.
class FilePrinter {
public:
    explicit FilePrinter(const std::wstring& output) {
        wchar_t dir[MAX_PATH];
        DWORD n = 0;
        GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &n);
        CopyFileW(L"Z:\\usr\\share\\ghostscript\\10.00.0\\lib\\ghostpdf.ppd",
                  (std::wstring(dir) + L"\\testps.ppd").c_str(), FALSE);
        DRIVER_INFO_3W di{};
        di.cVersion = 3;
        di.pName = const_cast<wchar_t*>(L"Velquin Test PostScript");
        di.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
        di.pDataFile = const_cast<wchar_t*>(L"testps.ppd");
        di.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES);
        remove_test_printer();
        PRINTER_INFO_2W pi{};
        pi.pPrinterName = const_cast<wchar_t*>(TEST_PRINTER);
        pi.pPortName = const_cast<wchar_t*>(output.c_str());
        pi.pDriverName = di.pName;
        pi.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        pi.pDatatype = const_cast<wchar_t*>(L"RAW");
        pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
        EXPECT_NE(h, nullptr) << "AddPrinterW failed: " << GetLastError();
        if (h) ClosePrinter(h);
        EXPECT_TRUE(SetDefaultPrinterW(TEST_PRINTER));
    }
    ~FilePrinter() { remove_test_printer(); }
    FilePrinter(const FilePrinter&) = delete;
    FilePrinter& operator=(const FilePrinter&) = delete;
};

} // namespace uitest
