#pragma once
// The windows the main window's buttons and keys open that are not built yet: each is one function
// that does nothing for now, so the buttons and keys are wired once and the windows slot in later.
#include <windows.h>

namespace qs::forms {
class Form;
}  // namespace qs::forms

namespace qs::app {

// Import URLs (Form2): the favourites import, modal over `owner`.
void showForm2(HWND owner);
// Help (Form5): the help window, modal over `owner`.
void showForm5(HWND owner);
// The information button (Info): the database information window, modal over `owner`.
void showInfo(forms::Form* owner);

}  // namespace qs::app
