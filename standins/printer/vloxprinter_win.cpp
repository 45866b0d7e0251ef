// vloxprinter.exe: gives the running Wine prefix a real printer, the Wine PostScript driver
// with Wine's generic PPD, printing into a file, as the default printer; or takes it away.
//
//   vloxprinter add [PORT]   PORT defaults to C:\vlox-print\page.ps (a file of the prefix,
//                            replaced whole by every job); a Unix path works too
//   vloxprinter remove       deletes the printer (the prefix then has none)
//
// Exit code 0 when done.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

const wchar_t PrinterName[] = L"V-LOX PostScript";
const wchar_t DriverName[] = L"Wine PostScript Driver";
const wchar_t DefaultPort[] = L"C:\\vlox-print\\page.ps";

// Wine's winspool carries a generic PPD as resource PPDFILE 1: written beside this program's
// temporary files for the driver installation to copy.
bool WriteGenericPpd(const std::wstring& path)
{
    HMODULE winspool = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (winspool == nullptr)
        return false;
    HRSRC res = FindResourceW(winspool, MAKEINTRESOURCEW(1), L"PPDFILE");
    HGLOBAL data = res != nullptr ? LoadResource(winspool, res) : nullptr;
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    const DWORD size = res != nullptr ? SizeofResource(winspool, res) : 0;
    bool ok = false;
    if (bytes != nullptr && size > 0) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ok = WriteFile(f, bytes, size, &written, nullptr) && written == size;
            CloseHandle(f);
        }
    }
    FreeLibrary(winspool);
    return ok;
}

bool AddDriver()
{
    wchar_t dir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof(dir), &needed))
        return false;
    CreateDirectoryW(dir, nullptr);
    std::wstring ppd = std::wstring(dir) + L"\\vloxps.ppd";
    if (!WriteGenericPpd(ppd)) {
        std::fprintf(stderr, "vloxprinter: the generic PPD could not be written\n");
        return false;
    }
    DRIVER_INFO_3W di{};
    di.cVersion = 3;
    di.pName = const_cast<wchar_t*>(DriverName);
    di.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    di.pDataFile = ppd.data();
    di.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    di.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES)) {
        const DWORD e = GetLastError();
        if (e != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
            std::fprintf(stderr, "vloxprinter: AddPrinterDriverEx failed (%lu)\n", static_cast<unsigned long>(e));
            return false;
        }
    }
    return true;
}

bool RemovePrinter()
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    if (!OpenPrinterW(const_cast<wchar_t*>(PrinterName), &printer, &defaults))
        return GetLastError() == ERROR_INVALID_PRINTER_NAME;
    const bool ok = DeletePrinter(printer) != FALSE;
    ClosePrinter(printer);
    return ok;
}

// Wine's local port monitor opens a file port without truncating it, so a shorter job would
// keep the tail of a longer one before it. A file of the prefix is therefore written by a
// shell through a pipe port, which replaces it whole. The prefix is found when the job runs
// (tests print in copies of a template prefix); C: is its drive_c, other drives their
// dosdevices link.
std::wstring PipePortWritingWhole(const std::wstring& path)
{
    std::wstring unix = L"${WINEPREFIX:-$HOME/.wine}/";
    const wchar_t drive = static_cast<wchar_t>(towlower(path[0]));
    unix += drive == L'c' ? std::wstring(L"drive_c") : std::wstring(L"dosdevices/") + drive + L":";
    for (size_t i = 2; i < path.size(); ++i) {
        if (path[i] == L'$' || path[i] == L'`' || path[i] == L'"')
            unix += L'\\';
        unix += path[i] == L'\\' ? L'/' : path[i];
    }
    return L"|cat > \"" + unix + L"\"";
}

bool AddVloxPrinter(const std::wstring& given)
{
    if (!AddDriver())
        return false;
    RemovePrinter();
    std::wstring port = given;
    // A port that is a file of the prefix: its folder must exist for the job to be written.
    if (port.size() > 3 && port[1] == L':' && port[2] == L'\\') {
        const size_t slash = port.find_last_of(L'\\');
        CreateDirectoryW(port.substr(0, slash).c_str(), nullptr);
        port = PipePortWritingWhole(port);
    }
    PRINTER_INFO_2W pi{};
    pi.pPrinterName = const_cast<wchar_t*>(PrinterName);
    pi.pPortName = const_cast<wchar_t*>(port.c_str());
    pi.pDriverName = const_cast<wchar_t*>(DriverName);
    pi.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    pi.pDatatype = const_cast<wchar_t*>(L"RAW");
    pi.Attributes = PRINTER_ATTRIBUTE_DIRECT | PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    if (printer == nullptr) {
        std::fprintf(stderr, "vloxprinter: AddPrinter failed (%lu)\n", static_cast<unsigned long>(GetLastError()));
        return false;
    }
    ClosePrinter(printer);
    if (!SetDefaultPrinterW(PrinterName)) {
        std::fprintf(stderr, "vloxprinter: SetDefaultPrinter failed (%lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wcscmp(argv[1], L"add") == 0)
        return AddVloxPrinter(argc >= 3 ? argv[2] : DefaultPort) ? 0 : 1;
    if (argc == 2 && std::wcscmp(argv[1], L"remove") == 0)
        return RemovePrinter() ? 0 : 1;
    std::fprintf(stderr, "usage: vloxprinter add [PORT] | vloxprinter remove\n");
    return 2;
}
