#pragma once
// One platform tooltip window ("tooltips_class32") serving several controls. Every message is sent in
// its ANSI form; texts are UTF-8 here and converted at the window's edge.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

namespace qs::app {

// The low 16 bits of `value` as a signed number.
int16_t loWord(int32_t value);
// The larger of two numbers; `a` when they are equal.
int32_t maxLong(int32_t a, int32_t b);

class cTooltip {
public:
    cTooltip() = default;
    ~cTooltip();  // Class_Terminate: destroys the window
    cTooltip(const cTooltip&) = delete;
    cTooltip& operator=(const cTooltip&) = delete;

    // Creates the window once, owned by form `frm`. True when a window exists.
    bool Create(HWND frm);

    // Every member below does nothing while there is no window and then gives false, 0 or "".

    // Registers control `ctrl` (child of `container`) as a tool; an empty text names it "Tool<n>".
    // False when the control is registered already (its text stays) or the window refuses it.
    bool AddTool(HWND ctrl, HWND container, const std::string& sText = {});
    // True when the control was registered and is now removed.
    bool RemoveTool(HWND ctrl);

    int32_t BackColor() const;  // COLORREF: blue in the high byte, red in the low byte
    void BackColor(int32_t clr);
    int32_t ForeColor() const;
    void ForeColor(int32_t clr);

    // dwType: 0 automatic, 1 reshow, 2 auto-pop, 3 initial (taken And 3).
    int32_t DelayTime(int32_t dwType) const;
    void DelayTime(int32_t dwType, int32_t dwMilliSecs);

    HWND hWnd() const { return m_hWnd; }

    // dwType: 0 left, 1 top, 2 right, 3 bottom; any other side reads 0 and changes nothing.
    int32_t Margin(int32_t dwType) const;
    void Margin(int32_t dwType, int32_t cPixels);

    // Below 1 means no limit (-1).
    int16_t MaxTipWidth() const;
    void MaxTipWidth(int16_t cx);

    int16_t ToolCount() const;

    // The tool's text; "" for a control that is not registered.
    std::string ToolText(HWND ctrl) const;
    // Sets a registered tool's text; does nothing for a control that is not registered.
    void ToolText(HWND ctrl, const std::string& sText);

private:
    bool FindTool(HWND ctrl, TTTOOLINFOA& ti, std::string* text) const;

    HWND m_hWnd = nullptr;  // the tooltip window; null until Create succeeds
    int32_t m_maxText = 0;  // longest ANSI tip text given so far, in bytes, plus 1
};

}  // namespace qs::app
