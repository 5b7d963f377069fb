// The main window's keys. With KeyPreview on, Form_KeyDown sees every key pressed in the window, the
// search box or a grid before that control does, and lets the key go on to it.
#include "app/globals.h"
#include "app/dialogs/form5.h"
#include "app/phonebook.h"
#include "app/quillstack1.h"
#include "platform/controls/flexgrid.h"

namespace qs::app {

// Tested in this order, the first match acts. A Ctrl command wants Ctrl alone (Shift exactly 2); the
// other keys act whatever the shift state.
void Quillstack1::Form_KeyDown(int& keyCode, int shift) {
    const bool ctrlAlone = shift == forms::vbCtrlMask;
    ListState* shown = listOf(displaywhich);
    switch (keyCode) {
    case VK_ESCAPE: hideToTray(); break;
    case VK_F1: showForm5(hWnd()); break;
    case VK_F11: createTempTable(myDBname); break;
    case VK_F12:
        if (ctrlAlone) importPhoneBookKey();
        break;
    case VK_DOWN:
        if (shown) enterList(*shown);
        break;
    case 'A':
        if (ctrlAlone && shown) selectAllRows(*shown);
        break;
    case VK_RETURN:
        // Enter shows a job in Explorer whatever openexplorer says; the Phone list has nothing to open.
        if (displaywhich == listJobs && MSgrid1->Row() > 0) openJob(MSgrid1->Row(), true);
        if (displaywhich == listFavorites && MSgrid2->Row() > 0) openFavorite(MSgrid2->Row());
        break;
    }
}

}  // namespace qs::app
