#include "platform/com/regscript.h"

#include <cwctype>

namespace qs::com {
namespace {

struct Token {
    enum Kind { Word, Quoted, Open, Close, Equals } kind;
    std::wstring text;
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

    bool script(std::vector<RegistryRootKeys>& roots) {
        while (pos_ < t_.size()) {
            if (!is(Token::Word)) return false;
            std::optional<RegistryRoot> key = rootKey(t_[pos_].text);
            if (!key) return false;
            RegistryRootKeys root{*key, {}};
            ++pos_;
            if (!block(root.children)) return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    bool is(Token::Kind kind) const { return pos_ < t_.size() && t_[pos_].kind == kind; }
    bool isName() const { return is(Token::Word) || is(Token::Quoted); }

    static std::optional<RegistryRoot> rootKey(std::wstring_view name) {
        if (equalsNoCase(name, L"HKCR") || equalsNoCase(name, L"HKEY_CLASSES_ROOT")) return RegistryRoot::ClassesRoot;
        if (equalsNoCase(name, L"HKCU") || equalsNoCase(name, L"HKEY_CURRENT_USER")) return RegistryRoot::CurrentUser;
        if (equalsNoCase(name, L"HKLM") || equalsNoCase(name, L"HKEY_LOCAL_MACHINE")) return RegistryRoot::LocalMachine;
        if (equalsNoCase(name, L"HKU") || equalsNoCase(name, L"HKEY_USERS")) return RegistryRoot::Users;
        return std::nullopt;
    }

    // '{' key* '}'
    bool block(std::vector<RegistryKey>& children) {
        if (!is(Token::Open) || depth_ == kMaxKeyDepth) return false;
        ++pos_;
        ++depth_;
        while (!is(Token::Close)) {
            if (pos_ >= t_.size()) return false;
            RegistryKey node;
            if (!key(node)) return false;
            children.push_back(std::move(node));
        }
        ++pos_;
        --depth_;
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

    bool key(RegistryKey& node) {
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
    int depth_ = 0;  // blocks open: 1 inside a root key
};

}  // namespace

std::optional<std::vector<RegistryRootKeys>> parseRegistryScript(std::wstring_view script,
                                                                 std::span<const Replacement> replacements) {
    std::vector<Token> tokens;
    std::vector<RegistryRootKeys> roots;
    if (!tokenize(script, replacements, tokens) || !Parser(tokens).script(roots)) return std::nullopt;
    return roots;
}

}  // namespace qs::com
