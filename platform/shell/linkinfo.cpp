#include "platform/shell/linkinfo.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win/handles.h"

namespace qs::shell {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring widenFrom(UINT codePage, const char* text) {
    int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, w.data(), n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

std::string utf8Of(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// Writes `w` into `buf` (kLinkBufferSize bytes) as ANSI. False, with "" written, when it does not
// fit or a character has no ANSI form: a '?' in its place would name some other file.
bool putAnsi(const std::wstring& w, char* buf) {
    buf[0] = '\0';
    if (w.empty()) return true;
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.c_str(), static_cast<int>(w.size()), buf,
                                kLinkBufferSize - 1, nullptr, &lossy);
    if (n <= 0 || lossy) {
        buf[0] = '\0';
        return false;
    }
    buf[n] = '\0';
    return true;
}

std::wstring expandEnvironment(const std::wstring& raw) {
    if (raw.find(L'%') == std::wstring::npos) return raw;
    DWORD n = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
    if (n == 0) return raw;
    std::wstring out(n, L'\0');
    DWORD got = ExpandEnvironmentStringsW(raw.c_str(), out.data(), n);
    if (got == 0 || got > n) return raw;
    out.resize(got - 1);
    return out;
}

// "C:\..." or "\\server\...": a shell item that is no file (a printer, "::{CLSID}") has neither form.
bool isFileSystemPath(const std::wstring& p) {
    if (p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':' &&
        p[2] == L'\\')
        return true;
    return p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'\\' && p[2] != L'?' && p[2] != L'.';
}

// Reads the shortcut; fills target (empty when it has none) and description.
HRESULT readLink(const std::wstring& path, std::wstring& target, std::wstring& description) {
    target.clear();
    description.clear();
    if (path.empty()) return E_INVALIDARG;
    // COM for the length of the call; a thread that has an apartment of either kind keeps it.
    win::ComInit com;
    if (!com.usable()) return E_FAIL;

    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    hr = file->Load(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE);
    if (FAILED(hr)) return hr;

    // The item list first: it names the target in full Unicode, and the shell turns it into a path only
    // when the item lives in the file system. A link that has no list (or one for a virtual item) falls
    // back to its stored path, with environment strings expanded here. The link is read, never resolved:
    // resolving could search the disk or show UI.
    win::UniqueCoTaskMem<ITEMIDLIST> pidl;
    if (SUCCEEDED(link->GetIDList(pidl.put())) && pidl) {
        wchar_t buf[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl.get(), buf)) target = buf;
    }
    if (target.empty()) {
        std::vector<wchar_t> buf(32768, L'\0');
        WIN32_FIND_DATAW found{};
        if (link->GetPath(buf.data(), static_cast<int>(buf.size()), &found, SLGP_RAWPATH) == S_OK) {
            buf.back() = L'\0';
            target = expandEnvironment(buf.data());
        }
    }
    if (!isFileSystemPath(target)) target.clear();

    std::vector<wchar_t> desc(INFOTIPSIZE, L'\0');
    if (FAILED(link->GetDescription(desc.data(), static_cast<int>(desc.size())))) desc[0] = L'\0';
    desc.back() = L'\0';
    description = desc.data();

    return target.empty() ? S_FALSE : S_OK;
}

}  // namespace

std::string GetLinkInfo(HWND, const std::string& lnkPath) {
    std::wstring target, description;
    readLink(widenFrom(CP_UTF8, lnkPath.c_str()), target, description);
    return utf8Of(target);
}

int32_t GetLinkInfo(HWND, const char* lnkPathAnsi, char* target, char* description) {
    if (target) target[0] = '\0';
    if (description) description[0] = '\0';
    if (!lnkPathAnsi) return E_INVALIDARG;

    std::wstring longTarget, desc;
    HRESULT hr = readLink(widenFrom(CP_ACP, lnkPathAnsi), longTarget, desc);
    if (target && !putAnsi(longTarget, target)) {
        // The short (8.3) form is plain ASCII where the long one has no ANSI spelling; the caller
        // expands a "~" back to the long form through the file system.
        DWORD n = GetShortPathNameW(longTarget.c_str(), nullptr, 0);
        std::wstring shortTarget(n, L'\0');
        if (n == 0 || (n = GetShortPathNameW(longTarget.c_str(), shortTarget.data(), n)) == 0 ||
            n >= shortTarget.size() || !putAnsi(shortTarget.substr(0, n), target)) {
            target[0] = '\0';
            hr = S_FALSE;
        }
    }
    if (description && !putAnsi(desc, description)) {
        // A description is only informative: keep what fits, without a split double-byte character.
        int n =
            WideCharToMultiByte(CP_ACP, 0, desc.c_str(), static_cast<int>(desc.size()), nullptr, 0, nullptr, nullptr);
        std::string all(static_cast<size_t>(std::max(n, 0)), '\0');
        WideCharToMultiByte(CP_ACP, 0, desc.c_str(), static_cast<int>(desc.size()), all.data(), n, nullptr, nullptr);
        size_t keep = 0;
        for (size_t i = 0; i < all.size();) {
            size_t step = IsDBCSLeadByte(static_cast<BYTE>(all[i])) ? 2 : 1;
            if (i + step > static_cast<size_t>(kLinkBufferSize - 1)) break;
            i += step;
            keep = i;
        }
        std::memcpy(description, all.data(), keep);
        description[keep] = '\0';
    }
    return hr;
}

}  // namespace qs::shell
