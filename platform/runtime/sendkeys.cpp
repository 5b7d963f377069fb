#include "platform/runtime/sendkeys.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"

#include <cstring>
#include <cwctype>

namespace qs::rt {
namespace {

struct NamedKey {
    const char* name;
    WORD vk;
};

const NamedKey namedKeys[] = {
    {"BACKSPACE", VK_BACK},   {"BS", VK_BACK},           {"BKSP", VK_BACK},  {"BREAK", VK_CANCEL},
    {"CAPSLOCK", VK_CAPITAL}, {"DELETE", VK_DELETE},     {"DEL", VK_DELETE}, {"DOWN", VK_DOWN},
    {"END", VK_END},          {"ENTER", VK_RETURN},      {"ESC", VK_ESCAPE}, {"HELP", VK_HELP},
    {"HOME", VK_HOME},        {"INSERT", VK_INSERT},     {"INS", VK_INSERT}, {"LEFT", VK_LEFT},
    {"NUMLOCK", VK_NUMLOCK},  {"PGDN", VK_NEXT},         {"PGUP", VK_PRIOR}, {"PRTSC", VK_SNAPSHOT},
    {"RIGHT", VK_RIGHT},      {"SCROLLLOCK", VK_SCROLL}, {"TAB", VK_TAB},    {"UP", VK_UP},
};

INPUT keyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.ki.dwExtraInfo = sendKeysSignature;
    return in;
}

class Parser {
public:
    explicit Parser(const std::string& keys) : text_(widen(keys)) {}

    std::vector<INPUT> run() {
        sequence(false);
        if (pos_ != text_.size()) fail();  // a ")" without its "("
        return std::move(out_);
    }

private:
    [[noreturn]] static void fail() { throw Error(errInvalidCall); }

    // Keys up to the end of the text, or up to the ")" closing a group.
    void sequence(bool inGroup) {
        while (pos_ < text_.size()) {
            if (text_[pos_] == L')') {
                if (!inGroup) fail();
                return;
            }
            item();
        }
        if (inGroup) fail();
    }

    void item() {
        std::vector<WORD> mods;
        while (pos_ < text_.size() && (text_[pos_] == L'+' || text_[pos_] == L'^' || text_[pos_] == L'%')) {
            mods.push_back(text_[pos_] == L'+' ? VK_SHIFT : text_[pos_] == L'^' ? VK_CONTROL : VK_MENU);
            ++pos_;
        }
        if (pos_ >= text_.size()) fail();
        for (WORD m : mods) out_.push_back(keyInput(m, false));
        wchar_t c = text_[pos_];
        if (c == L'(') {
            ++pos_;
            sequence(true);
            ++pos_;  // the ")"
        } else if (c == L'{') {
            braced();
        } else if (c == L'~') {
            ++pos_;
            press(VK_RETURN, 1);
        } else if (c == L'}' || c == L'[' || c == L']') {
            fail();
        } else {
            ++pos_;
            character(c, 1);
        }
        for (auto it = mods.rbegin(); it != mods.rend(); ++it) out_.push_back(keyInput(*it, true));
    }

    void braced() {
        size_t start = pos_ + 1;
        // "{}}" names the closing brace itself.
        size_t close = text_.find(L'}', start + 1);
        if (close == std::wstring::npos) fail();
        std::wstring inner = text_.substr(start, close - start);
        pos_ = close + 1;
        int count = 1;
        size_t blank = inner.find(L' ', 1);
        if (blank != std::wstring::npos) {
            std::wstring num = inner.substr(blank + 1);
            inner.erase(blank);
            if (num.empty() || num.size() > 4) fail();
            count = 0;
            for (wchar_t d : num) {
                if (d < L'0' || d > L'9') fail();
                count = count * 10 + (d - L'0');
            }
        }
        if (inner.empty()) fail();
        if (inner.size() == 1 && !std::iswalnum(inner[0])) {
            character(inner[0], count);
            return;
        }
        std::string name = UCase(narrow(inner));
        for (const NamedKey& k : namedKeys)
            if (name == k.name) return press(k.vk, count);
        if (name.size() >= 2 && name[0] == 'F') {
            int f = 0;
            for (size_t i = 1; i < name.size(); ++i) {
                if (name[i] < '0' || name[i] > '9') fail();
                f = f * 10 + (name[i] - '0');
            }
            if (f >= 1 && f <= 16) return press(WORD(VK_F1 + f - 1), count);
        }
        if (inner.size() == 1) return character(inner[0], count);
        fail();
    }

    void press(WORD vk, int count) {
        for (int i = 0; i < count; ++i) {
            out_.push_back(keyInput(vk, false));
            out_.push_back(keyInput(vk, true));
        }
    }

    void character(wchar_t c, int count) {
        SHORT scan = VkKeyScanW(c);
        for (int i = 0; i < count; ++i) {
            if (scan == -1) {
                // Not on the keyboard layout: send the character itself.
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = c;
                in.ki.dwFlags = KEYEVENTF_UNICODE;
                in.ki.dwExtraInfo = sendKeysSignature;
                out_.push_back(in);
                in.ki.dwFlags |= KEYEVENTF_KEYUP;
                out_.push_back(in);
                continue;
            }
            int shifts = HIBYTE(scan);
            if (shifts & 1) out_.push_back(keyInput(VK_SHIFT, false));
            if (shifts & 2) out_.push_back(keyInput(VK_CONTROL, false));
            if (shifts & 4) out_.push_back(keyInput(VK_MENU, false));
            press(LOBYTE(scan), 1);
            if (shifts & 4) out_.push_back(keyInput(VK_MENU, true));
            if (shifts & 2) out_.push_back(keyInput(VK_CONTROL, true));
            if (shifts & 1) out_.push_back(keyInput(VK_SHIFT, true));
        }
    }

    std::wstring text_;
    size_t pos_ = 0;
    std::vector<INPUT> out_;
};

}  // namespace

std::vector<INPUT> parseSendKeys(const std::string& keys) { return Parser(keys).run(); }

}  // namespace qs::rt
