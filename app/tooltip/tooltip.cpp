#include "app/tooltip/tooltip.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "app/data/shellutil.h"
#include "platform/runtime/text.h"

namespace qs::app {
namespace {

// The tool record as the program has always sent it: the ANSI form up to and including lParam.
constexpr UINT kToolInfoSize = 44;
static_assert(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM) == kToolInfoSize,
              "TOOLINFO (ANSI, up to lParam) is 44 bytes on Win32");
// The most the window writes of a tip's text through TTM_ENUMTOOLSA (possibly without a NUL).
constexpr int32_t kAnsiTextCap = 80;
constexpr UINT kToolFlags = TTF_IDISHWND | TTF_SUBCLASS;  // 0x11

TTTOOLINFOA emptyRecord() {
    TTTOOLINFOA ti{};
    ti.cbSize = kToolInfoSize;
    return ti;
}

int32_t ansiLength(const std::string& ansi) {
    return static_cast<int32_t>(std::min<size_t>(ansi.size(), INT32_MAX - 1));
}

}  // namespace

int16_t loWord(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

int32_t maxLong(int32_t a, int32_t b) { return b > a ? b : a; }

cTooltip::~cTooltip() {
    // The owner's destruction may have taken the window already.
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

bool cTooltip::Create(HWND frm) {
    if (!m_hWnd) {
        InitCommonControls();
        // The tips show cell texts as they are: "BOB O'NEILL & PARTNERS", URLs with "&".
        m_hWnd = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, frm, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    return m_hWnd != nullptr;
}

bool cTooltip::AddTool(HWND ctrl, HWND container, const std::string& sText) {
    if (!m_hWnd) return false;
    TTTOOLINFOA ti = emptyRecord();
    if (FindTool(ctrl, ti, nullptr)) return false;

    ti = emptyRecord();
    ti.uFlags = kToolFlags;
    ti.hwnd = container;
    ti.uId = reinterpret_cast<UINT_PTR>(ctrl);
    std::string text = rt::toAnsi(sText.empty() ? "Tool" + std::to_string(ToolCount() + 1) : sText);
    m_maxText = maxLong(m_maxText, ansiLength(text) + 1);
    ti.lpszText = text.data();
    return SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

bool cTooltip::RemoveTool(HWND ctrl) {
    if (!m_hWnd) return false;
    TTTOOLINFOA ti = emptyRecord();
    if (!FindTool(ctrl, ti, nullptr)) return false;
    SendMessageA(m_hWnd, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    return true;
}

int32_t cTooltip::BackColor() const {
    return m_hWnd ? static_cast<int32_t>(SendMessageA(m_hWnd, TTM_GETTIPBKCOLOR, 0, 0)) : 0;
}

void cTooltip::BackColor(int32_t clr) {
    if (m_hWnd) SendMessageA(m_hWnd, TTM_SETTIPBKCOLOR, static_cast<WPARAM>(clr), 0);
}

int32_t cTooltip::ForeColor() const {
    return m_hWnd ? static_cast<int32_t>(SendMessageA(m_hWnd, TTM_GETTIPTEXTCOLOR, 0, 0)) : 0;
}

void cTooltip::ForeColor(int32_t clr) {
    if (m_hWnd) SendMessageA(m_hWnd, TTM_SETTIPTEXTCOLOR, static_cast<WPARAM>(clr), 0);
}

int32_t cTooltip::DelayTime(int32_t dwType) const {
    return m_hWnd ? static_cast<int32_t>(SendMessageA(m_hWnd, TTM_GETDELAYTIME, dwType & 3, 0)) : 0;
}

void cTooltip::DelayTime(int32_t dwType, int32_t dwMilliSecs) {
    if (m_hWnd) SendMessageA(m_hWnd, TTM_SETDELAYTIME, dwType & 3, dwMilliSecs);
}

int32_t cTooltip::Margin(int32_t dwType) const {
    if (!m_hWnd) return 0;
    RECT rc{};
    SendMessageA(m_hWnd, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&rc));
    switch (dwType) {
    case 0: return rc.left;
    case 1: return rc.top;
    case 2: return rc.right;
    case 3: return rc.bottom;
    default: return 0;
    }
}

void cTooltip::Margin(int32_t dwType, int32_t cPixels) {
    if (!m_hWnd) return;
    RECT rc{};
    SendMessageA(m_hWnd, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&rc));
    switch (dwType) {
    case 0: rc.left = cPixels; break;
    case 1: rc.top = cPixels; break;
    case 2: rc.right = cPixels; break;
    case 3: rc.bottom = cPixels; break;
    default: break;
    }
    SendMessageA(m_hWnd, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&rc));
}

int16_t cTooltip::MaxTipWidth() const {
    return m_hWnd ? loWord(static_cast<int32_t>(SendMessageA(m_hWnd, TTM_GETMAXTIPWIDTH, 0, 0))) : 0;
}

void cTooltip::MaxTipWidth(int16_t cx) {
    if (!m_hWnd) return;
    int32_t width = cx < 1 ? -1 : cx;
    SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(width));
}

int16_t cTooltip::ToolCount() const {
    if (!m_hWnd) return 0;
    LRESULT n = SendMessageA(m_hWnd, TTM_GETTOOLCOUNT, 0, 0);
    return static_cast<int16_t>(std::clamp<LRESULT>(n, 0, INT16_MAX));
}

std::string cTooltip::ToolText(HWND ctrl) const {
    if (!m_hWnd) return {};
    TTTOOLINFOA ti = emptyRecord();
    std::string text;
    if (!FindTool(ctrl, ti, &text)) return {};
    return rt::fromAnsi(text);
}

void cTooltip::ToolText(HWND ctrl, const std::string& sText) {
    if (!m_hWnd) return;
    TTTOOLINFOA ti = emptyRecord();
    if (!FindTool(ctrl, ti, nullptr)) return;
    std::string text = rt::toAnsi(sText);
    m_maxText = maxLong(m_maxText, ansiLength(text) + 1);
    ti.lpszText = text.data();
    SendMessageA(m_hWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool cTooltip::FindTool(HWND ctrl, TTTOOLINFOA& ti, std::string* text) const {
    // The window copies the tool's text into the lent buffer without being told its size: the buffer is
    // as long as the longest ANSI text (in bytes) ever handed to it, plus its NUL, and never shorter
    // than the 80 bytes the window may write of a longer tip.
    std::vector<char> buffer;
    const int16_t n = ToolCount();
    for (int16_t i = 0; i < n; ++i) {
        ti = emptyRecord();
        if (text) {
            buffer.assign(static_cast<size_t>(std::max(m_maxText, kAnsiTextCap + 1)), '\0');
            ti.lpszText = buffer.data();
        }
        if (SendMessageA(m_hWnd, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&ti)) != 0 &&
            ti.uId == reinterpret_cast<UINT_PTR>(ctrl)) {
            if (text) *text = trimNull(std::string_view(buffer.data(), buffer.size()));
            ti.lpszText = nullptr;
            return true;
        }
    }
    ti = emptyRecord();
    return false;
}

}  // namespace qs::app
