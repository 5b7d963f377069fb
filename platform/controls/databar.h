#pragma once
// DataBar: the visible data control. A DataControl with the classic bar: buttons to the first, previous,
// next and last record at its two ends and its Caption between them. The arrows store the row being
// edited in the bound grid first, then move the recordset, and the grid's cursor follows.
#include <windows.h>

#include "platform/controls/datacontrol.h"
#include "platform/forms/form.h"

namespace qs::controls {

class DataBar : public forms::Control, public DataControl {
public:
    DataBar(forms::Container& parent, int left, int top, int width, int height);

    // The data control's, not the window's: Refresh runs the query, bind takes a grid.
    using DataControl::bind;
    using DataControl::Refresh;

    enum Arrow { First, Previous, Next, Last };
    // What a click on an arrow does.
    void move(Arrow arrow);
    // An arrow's button, in the bar's client pixels.
    RECT arrowRect(Arrow arrow) const;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void captionChanged() override;

private:
    void paint(HDC dc, const RECT& client);
    int arrowAt(POINT pt) const;

    int pressed_ = -1;  // the arrow held down, -1 for none
};

}  // namespace qs::controls
