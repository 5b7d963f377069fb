#include "platform/com/registrar.h"

#include <new>
#include <vector>

#include "platform/win/handles.h"

namespace qs::com {
namespace {

const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

HKEY rootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

LONG deleteTree(HKEY parent, const std::wstring& name) {
    {
        win::UniqueRegKey key;
        LONG err = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
        if (err == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (err != ERROR_SUCCESS) return err;
        for (;;) {
            wchar_t sub[256];
            DWORD len = 256;
            err = RegEnumKeyExW(key.get(), 0, sub, &len, nullptr, nullptr, nullptr, nullptr);
            if (err == ERROR_NO_MORE_ITEMS) break;
            if (err == ERROR_SUCCESS) err = deleteTree(key.get(), sub);
            if (err != ERROR_SUCCESS) return err;
        }
    }
    LONG err = RegDeleteKeyW(parent, name.c_str());
    return err == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : err;
}

LONG setString(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG registerNodes(HKEY parent, const std::vector<RegistryKey>& nodes);

LONG registerNode(HKEY parent, const RegistryKey& node) {
    if (node.isValue) return setString(parent, node.name.c_str(), node.value);
    if (node.forceRemove || node.deleteKey) {
        LONG err = deleteTree(parent, node.name);
        if (err != ERROR_SUCCESS || node.deleteKey) return err;
    }
    win::UniqueRegKey key;
    LONG err =
        RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    if (err != ERROR_SUCCESS) return err;
    if (node.hasValue) err = setString(key.get(), nullptr, node.value);
    if (err == ERROR_SUCCESS) err = registerNodes(key.get(), node.children);
    return err;
}

LONG registerNodes(HKEY parent, const std::vector<RegistryKey>& nodes) {
    for (const RegistryKey& node : nodes) {
        LONG err = registerNode(parent, node);
        if (err != ERROR_SUCCESS) return err;
    }
    return ERROR_SUCCESS;
}

LONG unregisterNodes(HKEY parent, const std::vector<RegistryKey>& nodes);

LONG unregisterNode(HKEY parent, const RegistryKey& node) {
    if (node.isValue) {
        LONG err = RegDeleteValueW(parent, node.name.c_str());
        return err == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : err;
    }
    if (!node.noRemove) return deleteTree(parent, node.name);
    win::UniqueRegKey key;
    LONG err = RegOpenKeyExW(parent, node.name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (err == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (err != ERROR_SUCCESS) return err;
    return unregisterNodes(key.get(), node.children);
}

LONG unregisterNodes(HKEY parent, const std::vector<RegistryKey>& nodes) {
    for (const RegistryKey& node : nodes) {
        LONG err = unregisterNode(parent, node);
        if (err != ERROR_SUCCESS) return err;
    }
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT runRegistryScript(std::wstring_view script, std::span<const Replacement> replacements, bool doRegister) {
    std::optional<std::vector<RegistryRootKeys>> roots;
    try {
        roots = parseRegistryScript(script, replacements);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!roots) return kBadScript;
    for (const RegistryRootKeys& root : *roots) {
        HKEY key = rootKey(root.root);
        LONG err = doRegister ? registerNodes(key, root.children) : unregisterNodes(key, root.children);
        if (err != ERROR_SUCCESS) return HRESULT_FROM_WIN32(err);
    }
    return S_OK;
}

HRESULT runRegistryResource(HINSTANCE module, UINT id, std::span<const Replacement> replacements, bool doRegister) {
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!res) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, res);
    DWORD size = SizeofResource(module, res);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) return HRESULT_FROM_WIN32(GetLastError());
    if (size >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF && static_cast<unsigned char>(bytes[1]) == 0xBB &&
        static_cast<unsigned char>(bytes[2]) == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    std::wstring text;
    if (size > 0) {
        int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0);
        if (n <= 0) return kBadScript;
        try {
            text.resize(n);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), text.data(), n);
    }
    return runRegistryScript(text, replacements, doRegister);
}

}  // namespace qs::com
