// A form laid out like the main window, for a screenshot of the grid in its setting: a bound Jobs
// grid of a few hundred rows coloured by their permanent flag, the picture buttons (Open Explorer held
// pressed), the search box and the scroll bar. It stays up for the given seconds (default 10).
// Run under Xvfb and take the picture meanwhile, e.g. xvfb-run -a -s "-screen 0 1024x768x24" sh -c
//   'scripts/wine-run build/bin/grid_shot.exe 12 & sleep 6; import -window root shot.png; wait'
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/controls/scrollbar.h"
#include "platform/forms/form.h"
#include "tests/support/files.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

namespace forms = qs::forms;
using qs::controls::DataControl;
using qs::controls::FlexGrid;
using qs::controls::ScrollBar;

namespace {

constexpr int kTopRow = 255, kSecondRow = 795;
constexpr int kWide = 1590, kSmall = 405, kButtonHeight = 345;
constexpr int kListLeft = 195, kListTop = 1320, kListWidth = 6465, kListHeight = 2760;

const char* const kWords[] = {"BUDGET", "MINUTES", "INVOICE", "LETTER", "REPORT",   "PLAN",   "NOTES", "ROTA",
                              "QUOTE",  "AGENDA",  "SUMMARY", "DRAFT",  "CONTRACT", "PRICES", "SURVEY"};
const char* const kExtensions[] = {".DOC", ".XLS", ".TXT", ".PDF", ".MDB"};
const char* const kFolders[] = {"C:\\USERS\\ANNA\\DOCUMENTS", "C:\\USERS\\ANNA\\DOCUMENTS\\CLUB",
                                "D:\\WORK\\ACCOUNTS 2024", "D:\\WORK\\PROJECTS\\HARBOUR", "C:\\USERS\\ANNA\\DESKTOP"};

void makeDatabase(const std::string& path, int rows) {
    qs::test::createProgramDatabase(path);
    qs::test::Seed seed(path);
    for (int i = 0; i < rows; ++i) {
        std::string name =
            std::string(kWords[(i * 7) % 15]) + " " + std::to_string(2000 + (i * 37) % 977) + kExtensions[(i * 3) % 5];
        double date = 45290.0 + (i * 13) % 120 + ((i * 97) % 1440) / 1440.0;
        seed.job(std::string(kFolders[(i * 11) % 5]) + "\\" + name, qs::db::Date{date}, i % 4 == 1);
    }
    seed.commit();
}

class ShotForm : public forms::Form {
public:
    explicit ShotForm(std::string path)
        : path_(std::move(path)),
          Text1(*this, 3840, kSecondRow, 3090, kButtonHeight),
          dt1(*this, kListLeft + kListWidth + 15, kListTop, 255, kListHeight),
          Image5(*this, 255, kTopRow, kWide, kButtonHeight, forms::Face{"Options"}),
          Image1(*this, 1950, kTopRow, kWide, kButtonHeight, forms::Face{"Open File"}),
          Image2(*this, 3660, kTopRow, kWide, kButtonHeight, forms::Face{"Open Explorer"}),
          Image3(*this, 5340, kTopRow, kWide, kButtonHeight, forms::Face{"Hide"}),
          Image4(*this, 195, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Help}),
          Image6(*this, 660, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::DownArrow}),
          Image8(*this, 1125, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Pin}),
          Image16(*this, 1590, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Info}),
          Image12(*this, 2280, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Document}),
          Image13(*this, 2745, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Globe}),
          Image14(*this, 3210, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Phone}),
          grid(*this, kListLeft, kListTop, kListWidth, kListHeight) {
        Move(600, 600, 7200, 4380);
    }

    void Form_Load() override {
        data.DatabaseName(path_);
        data.RecordSource(
            "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, Jobs.JobPermanent FROM Jobs "
            "WHERE ((Jobs.JobName Like \"*r*\")) ORDER BY Jobs.JobName;");
        data.bind(grid);
        data.Refresh();
        redraw(12);

        Text1.Text("r");
        Image2.Visible(0, false);  // held down: the pressed face shows
        Image2.Visible(1, true);
        dt1.onChange = dt1.onScroll = [this] {
            if (grid.Rows() >= 3) grid.TopRow(dt1.Value());
        };
    }

    // As the main window redraws its Jobs list.
    void redraw(int topRow) {
        grid.Redraw(false);
        if (grid.Rows() > 1) grid.TopRow(std::min(topRow, grid.Rows() - 1));
        for (int r = 1; r < grid.Rows(); ++r) {
            uint32_t colour = grid.TextMatrix(r, 4) == "True" ? 0xFFE169 : 0xA69244;
            grid.Row(r);
            for (int c = 0; c < 4; ++c) {
                grid.Col(c);
                grid.CellBackColor(colour);
            }
        }
        grid.Row(grid.TopRow() + 2);
        grid.RowSel(grid.TopRow() + 2);
        grid.Col(0);
        grid.ColSel(3);
        grid.Redraw(true);
        dt1.Max(grid.Rows() > 3 ? grid.Rows() - 1 : 2);
        dt1.Min(1);
        dt1.SmallChange(1);
        dt1.LargeChange(1);
        dt1.Value(grid.TopRow());
        const double fractions[] = {0.4, 0.25, 0.35, 0, 0};
        for (int c = 0; c < 5; ++c) grid.ColWidth(c, int(Width() * fractions[c] + 0.5));
        const char* captions[] = {"FileName", "FileDate", "File Location"};
        for (int c = 0; c < 3; ++c) grid.TextMatrix(0, c, captions[c]);
    }

    std::string path_;
    forms::TextBox Text1;
    ScrollBar dt1;
    forms::PictureButton Image5, Image1, Image2, Image3, Image4, Image6, Image8, Image16, Image12, Image13, Image14;
    FlexGrid grid;
    DataControl data;
};

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    qs::test::TempDir dir("shot");
    const std::string path = dir.file("jobs.mdb");
    makeDatabase(path, 300);
    auto form = new ShotForm(path);  // left to the process's end: hiding costs Wine seconds without a WM
    form->Show();
    std::printf("rows %d, top row %d\n", form->grid.Rows() - 1, form->grid.TopRow());
    std::fflush(stdout);
    qs::test::pumpFor(DWORD(seconds) * 1000);
    form->data.Database()->Close();
    qs::test::removeTree(dir.wpath());  // ExitProcess runs no destructors
    ExitProcess(0);
}
