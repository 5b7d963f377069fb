// The payload of a path-list WM_COPYDATA (dwData 2), as any process on the desktop may send it.
// Properties: the decoder takes bytes or refuses them and never reads past them (ASan); a bag it takes
// is written back byte for byte (the format has one spelling); a path list it takes re-encodes to the
// same list; and whatever list our own encoder (the test sender's, qs_send) writes decodes to that list.
#include "platform/runtime/propertybag.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace qs::rt;

namespace {

std::string listText(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& s : list) out += qs::fuzz::shown(s) + " ";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> payload(data, size);
    const std::string input(reinterpret_cast<const char*>(data), size);

    if (std::optional<PropertyBag> bag = PropertyBag::FromContents(payload)) {
        std::vector<uint8_t> again = bag->Contents();
        FUZZ_CHECK(std::equal(again.begin(), again.end(), payload.begin(), payload.end()), qs::fuzz::shown(input));
    }
    if (std::optional<std::vector<std::string>> paths = decodePathList(payload)) {
        FUZZ_CHECK(!paths->empty(), qs::fuzz::shown(input));
        FUZZ_CHECK(decodePathList(encodePathList(*paths)) == paths, qs::fuzz::shown(input));
    }

    // The same bytes read as a list of paths for the encoder.
    FuzzedDataProvider provider(data, size);
    std::vector<std::string> list;
    while (provider.remaining_bytes() > 0 && list.size() < 64) list.push_back(provider.ConsumeRandomLengthString(512));
    std::optional<std::vector<std::string>> decoded = decodePathList(encodePathList(list));
    if (list.empty())
        FUZZ_CHECK(!decoded, "an empty list decodes as invalid");
    else
        FUZZ_CHECK(decoded == list, listText(list));
    return 0;
}
