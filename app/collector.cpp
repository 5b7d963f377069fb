// The main window's wiring of the job collector and of the path receiver's closing steps.
#include "app/collector_core.h"

#include "app/globals.h"
#include "app/quillstack1.h"
#include "app/receiver.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/app.h"
#include "platform/runtime/errors.h"

namespace qs::app {
namespace {

template <class T>
T& need(const std::unique_ptr<T>& control) {
    if (!control) throw rt::Error(91, "Object variable or With block variable not set");
    return *control;
}

}  // namespace

void Quillstack1::oFoldwatcher_Notify(const std::string& /*sFileName*/, int16_t /*nType*/) {
    // The shell writes a shortcut in steps, and one document brings several Notifys: the rescan waits for
    // the burst to settle, and the Notifys meanwhile, or during the rescan, join it.
    recentRescan.request();
}

void Quillstack1::rescanRecent() {
    RecentRescan scan{recentPath,
                      myDBname,
                      &recentFiles,
                      &recentFileCount,
                      [this](const std::string& shortcut) { return resolveShortcut(shortcut); },
                      [this] {
                          rt::DoEvents();
                          return !recentRescan.stopped();  // the window unloaded meanwhile
                      },
                      [this] {
                          need(Data1).Refresh();
                          redrawGrid();
                      }};
    rescanRecentFolder(scan);
}

std::string Quillstack1::resolveShortcut(const std::string& shortcutName) {
    return resolveShortcutPath(hWnd(), shortcutName);
}

// Registered with the receiver at load: the Jobs list after a path list, whichever list is shown.
void Quillstack1::pathsReceived() {
    receiverStep([&] { topRow = MSgrid1->TopRow(); });
    receiverStep([&] { need(Data1).Refresh(); });
    receiverStep([&] { redrawGrid(); });
}

}  // namespace qs::app
