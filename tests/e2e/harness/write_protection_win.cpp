// WriteProtection (e2e_harness_win.h): the read-only attribute, or the immutable flag of the
// file system set through the Unix side where the attribute does not hold.
#include "tests/e2e/harness/e2e_harness_win.h"

namespace e2e {

bool WriteProtection::Protect(const std::wstring& path, bool openHandlesToo)
{
    Release();
    path_ = path;
    auto writable = [&] {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(h);
        return true;
    };
    if (!openHandlesToo) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        if (!writable())
            return true;
    }
    const std::wstring unixPath = UnixPathOf(path);
    immutable_ = !unixPath.empty() && RunUnixShell(L"chattr +i '" + unixPath + L"'") == 0;
    if (immutable_ && !writable())
        return true;
    Release();
    return false;
}

void WriteProtection::Release()
{
    if (path_.empty())
        return;
    if (immutable_)
        RunUnixShell(L"chattr -i '" + UnixPathOf(path_) + L"'");
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    immutable_ = false;
    path_.clear();
}

}  // namespace e2e
