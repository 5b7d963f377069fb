#include "platform/com/registrar.h"

#include <cwctype>
#include <new>
#include <vector>

#include "platform/win/handles.h"

namespace qs::com {
namespace {

const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

struct Token {
    enum Kind { Word, Quoted, Open, Close, Equals } kind;
    std::wstring text;
};

struct Node {
    bool forceRemove = false, noRemove = false, deleteKey = false;
    bool isValue = false;     // `val Name = s '...'`
    std::wstring name;
    bool hasValue = false;
    std::wstring value;
    std::vector<Node> children;
};

struct Root {
    HKEY key;
    std::vector<Node> children;
};

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool substitute(std::wstring& text, std::span<const Replacement> replacements) {
    if (text.find(L'%') == std::wstring::npos) return true;
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            out += text[i];
            continue;
        }
        size_t end = text.find(L'%', i + 1);
        if (end == std::wstring::npos) return false;
        std::wstring_view name(text.data() + i + 1, end - i - 1);
        if (name.empty()) {
            out += L'%';
        } else {
            const Replacement* found = nullptr;
            for (const Replacement& r : replacements)
                if (equalsNoCase(r.name, name)) found = &r;
            if (!found) return false;
            out += found->value;
        }
        i = end;
    }
    text = std::move(out);
    return true;
}

bool tokenize(std::wstring_view s, std::span<const Replacement> replacements, std::vector<Token>& out) {
    size_t i = 0;
    auto space = [&](size_t at) { return at >= s.size() || std::iswspace(s[at]); };
    while (true) {
        while (i < s.size() && std::iswspace(s[i])) ++i;
        if (i == s.size()) return true;
        wchar_t c = s[i];
        if (c == L'=') {
            out.push_back({Token::Equals, {}});
            ++i;
        } else if (c == L'}') {
            out.push_back({Token::Close, {}});
            ++i;
        } else if (c == L'{' && space(i + 1)) {
            out.push_back({Token::Open, {}});
            ++i;
        } else if (c == L'\'') {
            std::wstring text;
            for (++i;; ++i) {
                if (i == s.size()) return false;
                if (s[i] == L'\'') {
                    if (i + 1 < s.size() && s[i + 1] == L'\'') {
                        text += L'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i];
            }
            if (!substitute(text, replacements)) return false;
            out.push_back({Token::Quoted, std::move(text)});
        } else {
            size_t start = i;
            while (i < s.size() && !std::iswspace(s[i]) && s[i] != L'=' && s[i] != L'\'') ++i;
            std::wstring text(s.substr(start, i - start));
            if (!substitute(text, replacements)) return false;
            out.push_back({Token::Word, std::move(text)});
        }
    }
}

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : t_(tokens) {}

    bool script(std::vector<Root>& roots) {
        while (pos_ < t_.size()) {
            if (!is(Token::Word)) return false;
            Root root{rootKey(t_[pos_].text), {}};
            if (!root.key) return false;
            ++pos_;
            if (!block(root.children)) return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    bool is(Token::Kind kind) const { return pos_ < t_.size() && t_[pos_].kind == kind; }
    bool isName() const { return is(Token::Word) || is(Token::Quoted); }

    static HKEY rootKey(std::wstring_view name) {
        if (equalsNoCase(name, L"HKCR") || equalsNoCase(name, L"HKEY_CLASSES_ROOT")) return HKEY_CLASSES_ROOT;
        if (equalsNoCase(name, L"HKCU") || equalsNoCase(name, L"HKEY_CURRENT_USER")) return HKEY_CURRENT_USER;
        if (equalsNoCase(name, L"HKLM") || equalsNoCase(name, L"HKEY_LOCAL_MACHINE")) return HKEY_LOCAL_MACHINE;
        if (equalsNoCase(name, L"HKU") || equalsNoCase(name, L"HKEY_USERS")) return HKEY_USERS;
        return nullptr;
    }

    // '{' key* '}'
    bool block(std::vector<Node>& children) {
        if (!is(Token::Open)) return false;
        ++pos_;
        while (!is(Token::Close)) {
            if (pos_ >= t_.size()) return false;
            Node node;
            if (!key(node)) return false;
            children.push_back(std::move(node));
        }
        ++pos_;
        return true;
    }

    // `= s 'text'`
    bool value(std::wstring& text) {
        if (!is(Token::Equals)) return false;
        ++pos_;
        if (!is(Token::Word) || !equalsNoCase(t_[pos_].text, L"s")) return false;
        ++pos_;
        if (!is(Token::Quoted)) return false;
        text = t_[pos_++].text;
        return true;
    }

    bool key(Node& node) {
        for (; is(Token::Word); ++pos_) {
            const std::wstring& w = t_[pos_].text;
            if (equalsNoCase(w, L"ForceRemove"))
                node.forceRemove = true;
            else if (equalsNoCase(w, L"NoRemove"))
                node.noRemove = true;
            else if (equalsNoCase(w, L"Delete"))
                node.deleteKey = true;
            else
                break;
        }
        bool valKeyword = is(Token::Word) && equalsNoCase(t_[pos_].text, L"val") && pos_ + 1 < t_.size() &&
                          t_[pos_ + 1].kind != Token::Equals;
        if (valKeyword) {
            ++pos_;
            if (!isName()) return false;
            node.isValue = true;
            node.name = t_[pos_++].text;
            node.hasValue = true;
            return value(node.value);
        }
        if (!isName() || t_[pos_].text.empty()) return false;
        node.name = t_[pos_++].text;
        if (is(Token::Equals)) {
            node.hasValue = true;
            if (!value(node.value)) return false;
        }
        if (is(Token::Open)) return block(node.children);
        return true;
    }

    const std::vector<Token>& t_;
    size_t pos_ = 0;
};

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

LONG registerNodes(HKEY parent, const std::vector<Node>& nodes);

LONG registerNode(HKEY parent, const Node& node) {
    if (node.isValue) return setString(parent, node.name.c_str(), node.value);
    if (node.forceRemove || node.deleteKey) {
        LONG err = deleteTree(parent, node.name);
        if (err != ERROR_SUCCESS || node.deleteKey) return err;
    }
    win::UniqueRegKey key;
    LONG err = RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(),
                               nullptr);
    if (err != ERROR_SUCCESS) return err;
    if (node.hasValue) err = setString(key.get(), nullptr, node.value);
    if (err == ERROR_SUCCESS) err = registerNodes(key.get(), node.children);
    return err;
}

LONG registerNodes(HKEY parent, const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        LONG err = registerNode(parent, node);
        if (err != ERROR_SUCCESS) return err;
    }
    return ERROR_SUCCESS;
}

LONG unregisterNodes(HKEY parent, const std::vector<Node>& nodes);

LONG unregisterNode(HKEY parent, const Node& node) {
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

LONG unregisterNodes(HKEY parent, const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        LONG err = unregisterNode(parent, node);
        if (err != ERROR_SUCCESS) return err;
    }
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT runRegistryScript(std::wstring_view script, std::span<const Replacement> replacements, bool doRegister) {
    std::vector<Root> roots;
    try {
        std::vector<Token> tokens;
        if (!tokenize(script, replacements, tokens)) return kBadScript;
        if (!Parser(tokens).script(roots)) return kBadScript;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (const Root& root : roots) {
        LONG err = doRegister ? registerNodes(root.key, root.children) : unregisterNodes(root.key, root.children);
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
