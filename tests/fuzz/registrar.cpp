// The registry script of a self-registering server, and the values put into it (the module's path).
// Properties: any text parses or is refused, and a parsed script reads back the same from the text the
// target writes for it; a value put into a quoted text of a script (as %MODULE% in Foldwatcher.rgs) is
// kept exactly, whatever it holds, and never changes the script's keys.
#include "platform/com/regscript.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <tuple>

using namespace qs::com;

namespace {

std::string narrowed(std::wstring_view w) {
    std::string out;
    for (wchar_t c : w) out += c < 0x80 ? char(c) : '?';
    return out;
}

std::wstring quoted(const std::wstring& text) {
    std::wstring out = L"'";
    for (wchar_t c : text) {
        if (c == L'\'') out += L'\'';
        out += c == L'%' ? L"%%" : std::wstring(1, c);
    }
    return out + L"'";
}

void write(const std::vector<RegistryKey>& keys, std::wstring& out) {
    out += L"{\n";
    for (const RegistryKey& k : keys) {
        if (k.forceRemove) out += L"ForceRemove ";
        if (k.noRemove) out += L"NoRemove ";
        if (k.deleteKey) out += L"Delete ";
        if (k.isValue) out += L"val ";
        out += quoted(k.name);
        if (k.hasValue) out += L" = s " + quoted(k.value);
        out += L"\n";
        if (!k.children.empty()) write(k.children, out);
    }
    out += L"}\n";
}

std::wstring written(const std::vector<RegistryRootKeys>& roots) {
    static const wchar_t* const names[] = {L"HKCR", L"HKCU", L"HKLM", L"HKU"};
    std::wstring out;
    for (const RegistryRootKeys& r : roots) {
        out += names[int(r.root)];
        out += L"\n";
        write(r.children, out);
    }
    return out;
}

bool same(const std::vector<RegistryKey>& a, const std::vector<RegistryKey>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const RegistryKey &x = a[i], &y = b[i];
        if (x.forceRemove != y.forceRemove || x.noRemove != y.noRemove || x.deleteKey != y.deleteKey ||
            x.isValue != y.isValue || x.name != y.name || x.hasValue != y.hasValue || x.value != y.value ||
            !same(x.children, y.children))
            return false;
    }
    return true;
}

bool same(const std::vector<RegistryRootKeys>& a, const std::vector<RegistryRootKeys>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].root != b[i].root || !same(a[i].children, b[i].children)) return false;
    return true;
}

const wchar_t kServerScript[] =
    LR"(HKCR
{
	Foldwatcher.Watch.1 = s 'Watch Class'
	{
		CLSID = s '{80CE454E-C736-11D3-9DE3-40000A4A1541}'
	}
	NoRemove CLSID
	{
		ForceRemove {80CE454E-C736-11D3-9DE3-40000A4A1541} = s 'Watch Class'
		{
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
		}
	}
})";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The value from the input's end, the script (UTF-16LE, as the parser reaches it) from its start, into
    // an exactly sized copy so that ASan sees a read past it. One input in 256 nests a key up to 8,192 deep
    // around the script, deeper than mutations of short inputs reach; the nestings are fixed, so that deep
    // inputs (slow to read) differ only in their core and depth and do not crowd the corpus.
    FuzzedDataProvider provider(data, size);
    const bool deep = provider.ConsumeIntegral<uint8_t>() == 255;
    std::wstring value;
    for (size_t n = provider.ConsumeIntegralInRange<size_t>(0, 300); n > 0 && provider.remaining_bytes() > 0; --n)
        value += wchar_t(provider.ConsumeIntegral<uint16_t>());
    std::wstring_view open, close;
    size_t times = 0;
    if (deep) {
        static const std::pair<std::wstring_view, std::wstring_view> nestings[] = {
            {L"k {\n", L"}\n"}, {L"'q' = s 'v' {\n", L"}\n"}, {L"ForceRemove NoRemove k {\n", L"}\n"}};
        std::tie(open, close) = nestings[provider.ConsumeIntegralInRange<size_t>(0, 2)];
        times = std::min(provider.ConsumeIntegralInRange<size_t>(0, 40000), (size_t(1) << 15) / open.size());
    }
    const std::vector<uint8_t> bytes = provider.ConsumeRemainingBytes<uint8_t>();
    std::vector<wchar_t> script;
    const std::wstring_view root = L"HKCR {\n", end = L"}\n";
    if (deep) {
        script.assign(root.begin(), root.end());
        for (size_t i = 0; i < times; ++i) script.insert(script.end(), open.begin(), open.end());
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) script.push_back(wchar_t(bytes[i] | bytes[i + 1] << 8));
    if (deep) {
        for (size_t i = 0; i < times; ++i) script.insert(script.end(), close.begin(), close.end());
        script.insert(script.end(), end.begin(), end.end());
    }
    script.shrink_to_fit();

    const Replacement module[] = {{L"MODULE", value}, {L"Empty", L""}};
    const std::wstring_view text(script.data(), script.size());
    if (auto roots = parseRegistryScript(text, module)) {
        const std::wstring again = written(*roots);
        auto reread = parseRegistryScript(again, {});
        FUZZ_CHECK(reread && same(*roots, *reread), narrowed(text) + "\nwritten as\n" + narrowed(again));
    }

    auto plain = parseRegistryScript(kServerScript, std::vector<Replacement>{{L"module", L"C:\\x.dll"}});
    auto server = parseRegistryScript(kServerScript, module);
    FUZZ_CHECK(plain && server, narrowed(value));
    RegistryKey& inproc = server->at(0).children.at(1).children.at(0).children.at(1);
    FUZZ_CHECK(inproc.name == L"InprocServer32" && inproc.value == value, narrowed(value));
    inproc.value = L"C:\\x.dll";
    FUZZ_CHECK(same(*plain, *server), narrowed(value));
    return 0;
}
