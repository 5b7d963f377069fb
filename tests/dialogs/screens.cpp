// Pictures of the import window halfway through an import, the About window, and the help window at
// the top and the bottom of its page, each taken from the screen as a .bmp file into <folder>.
// Usage: dialogs_screens <folder>   (tests/dialogs/shots.sh runs it under Xvfb)
#include <windows.h>

#include <string>

#include "app/dialogs/form2.h"
#include "app/dialogs/form4.h"
#include "app/dialogs/form5.h"
#include "app/globals.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"

using namespace qs;
using namespace qs::test;

namespace {

void settle() { pumpFor(500); }

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = shotFolder(argc, argv, "dialogs_screens");
    if (folder.empty()) return 2;
    {
        MainWindowRun run("screens");
        if (!run.start()) return 1;
        SetCursorPos(1000, 900);

        TempDir tree("screenstree");
        // Large enough for the bar to be repainted many times before the picture is taken.
        for (int f = 0; f < 10; ++f) {
            const std::string sub = tree.file("Folder " + std::to_string(f));
            makeFolder(sub);
            for (int n = 0; n < 100; ++n)
                writeFile(sub + "\\Site " + std::to_string(f * 100 + n) + ".url",
                          "[InternetShortcut]\r\nURL=http://site-" + std::to_string(n) + ".example/\r\n");
        }
        run.services->folderAnswer = tree.path();
        {
            app::Form2 import;
            int steps = 0;
            import.onBarStep = [&] { if (++steps == 600) saveShot(import.hWnd(), folder, "form2-mid-import");
        };
        import.Move(1500, 1500, import.Width(), import.Height());
        import.Show();
        settle();
        import.Image2_MouseUp(0, 1, 0, 0, 0);
    }
    {
        app::Form4 about;
        about.Move(1500, 1500, about.Width(), about.Height());
        about.Show();
        settle();
        saveShot(about.hWnd(), folder, "form4");
    }
    {
        app::Form5 help;
        help.Move(1500, 1500, help.Width(), help.Height());
        help.Show();
        settle();
        saveShot(help.hWnd(), folder, "form5-top");
        help.dt1.Value(help.dt1.Max());
        settle();
        saveShot(help.hWnd(), folder, "form5-bottom");
        help.dt1.Value(help.figure(2).Top() - 300);
        settle();
        saveShot(help.hWnd(), folder, "form5-figures");
    }
}
return 0;
}
