// Hands data to the running program's receiver window the way another program would: WM_COPYDATA sent to
// the window titled "Invisible Window to Receive a String".
//
//   qs_send paths <path> ...          dwData 2, the paths as a property bag
//   qs_send string <text>             dwData 3, the text in ANSI followed by a NUL
//   qs_send raw <dwData> [<hex>]      any dwData with the given bytes (none: cbData 0)
//
// Prints what SendMessage returned. Exit code 0 when sent, 2 when there is no such window, 3 when the
// receiver did not answer within 30 seconds, 1 for a malformed command line.

#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

const wchar_t receiverTitle[] = L"Invisible Window to Receive a String";

int usage() {
    std::fputs("usage: qs_send paths <path>... | string <text> | raw <dwData> [<hexbytes>]\n", stderr);
    return 1;
}

std::optional<std::vector<uint8_t>> parseHex(const std::string& hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(uint8_t(hi * 16 + lo));
    }
    return bytes;
}

std::optional<unsigned long> parseNumber(const std::string& s) {
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 0);
    if (*end != '\0') return std::nullopt;
    return v;
}

}  // namespace

int main() {
    // The command line as UTF-16, so that paths outside the ANSI code page arrive intact.
    int argc = 0;
    LPWSTR* argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(qs::rt::narrow(argvW[i]));
    LocalFree(argvW);
    if (args.empty()) return usage();

    ULONG_PTR kind = 0;
    std::vector<uint8_t> payload;
    const std::string& mode = args[0];
    if (mode == "paths") {
        kind = 2;
        payload = qs::rt::encodePathList(std::vector<std::string>(args.begin() + 1, args.end()));
    } else if (mode == "string" && args.size() == 2) {
        kind = 3;
        std::string ansi = qs::rt::toAnsi(args[1]);
        payload.assign(ansi.begin(), ansi.end());
        payload.push_back(0);
    } else if (mode == "raw" && (args.size() == 2 || args.size() == 3)) {
        auto number = parseNumber(args[1]);
        auto bytes = args.size() == 3 ? parseHex(args[2]) : std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{});
        if (!number || !bytes) return usage();
        kind = *number;
        payload = std::move(*bytes);
    } else {
        return usage();
    }

    HWND receiver = FindWindowW(nullptr, receiverTitle);
    if (!receiver) {
        std::fputs("no receiver window\n", stderr);
        return 2;
    }
    COPYDATASTRUCT cds{};
    cds.dwData = kind;
    cds.cbData = DWORD(payload.size());
    cds.lpData = payload.empty() ? nullptr : payload.data();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 30000, &result)) {
        std::fputs("the receiver did not answer\n", stderr);
        return 3;
    }
    std::printf("%ld\n", long(result));
    return 0;
}
