#pragma once
// The help page's figures, drawn when they are painted: each shows a piece of the main window as its
// own skin draws it, from the main window's own controls (their places, faces and visibility), with the
// control the figure is about circled. No picture is stored anywhere.
#include <windows.h>

#include "platform/forms/form.h"

namespace qs::app {

// Figure numbers of the help page.
enum HelpFigure : int {
    figJobsButton = 1,
    figFindBox = 2,
    figContextMenu = 3,
    figUrlButton = 4,
    figPhoneButton = 5,
    figStayOnTop = 6,
    figHideButton = 7,
    figInfoButton = 8,
};

// The colour of the circle round the control in question.
inline constexpr COLORREF kFigureCircle = RGB(0xFF, 0x40, 0x40);

// Draws figure `figure` to fill `rc`. `main` is the main window to picture; without one the figure
// shows only the ground.
void drawHelpFigure(HDC hdc, const RECT& rc, int figure, forms::Form* main);

// The control of `main` that figure `figure` is about; nullptr when it has none there.
forms::Control* figureControl(forms::Form& main, int figure);

}  // namespace qs::app
