#include "tests/support/services.h"

#include "platform/runtime/text.h"

namespace qs::test {

FakeServices::FakeServices(std::string appPath, double now) : appPath_(std::move(appPath)), now_(now) {
    rt::setServices(this);
}

FakeServices::~FakeServices() {
    if (&rt::services() == this) rt::setServices(nullptr);
}

int FakeServices::msgBox(const std::string& text, int style, const std::string& title) {
    messages.push_back(text);
    titles.push_back(title);
    buttons.push_back(style);
    if (whileShown) whileShown();
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string FakeServices::openFileDialog(const rt::FileDialogRequest& request) {
    opens.push_back(request);
    return openAnswer;
}

std::string FakeServices::saveFileDialog(const rt::FileDialogRequest& request) {
    saves.push_back(request);
    return saveAnswer;
}

std::string FakeServices::browseForFolder(HWND owner, const std::string& prompt) {
    browses.emplace_back(owner, prompt);
    return folderAnswer;
}

int FakeServices::shell(const std::string& command, int) {
    launched.push_back("shell " + command);
    return 1;
}

void FakeServices::shellExecute(HWND, const std::string& verb, const std::string& file, const std::string&,
                                const std::string&, int) {
    launched.push_back(rt::LCase(verb) + " " + file);
}

bool FakeServices::notifyIcon(DWORD message, NOTIFYICONDATAA* data) {
    trayCalls.push_back(message);
    return realTray ? rt::Services::notifyIcon(message, data) : true;
}

double FakeServices::now() { return now_ != 0 ? now_ : rt::Services::now(); }

}  // namespace qs::test
