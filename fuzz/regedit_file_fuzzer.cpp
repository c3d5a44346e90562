// Any bytes as the machine registry file; every key found is looked up as the registry does.
#include <cstdint>
#include <span>

#include "regedit_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<RegeditKey> keys;
    if (ParseRegeditFile(std::as_bytes(std::span(data, size)), keys) != ERROR_SUCCESS) {
        return 0;
    }
    std::size_t matches = 0;
    for (const RegeditKey& key : keys) {
        matches += RegPathIsAtOrBelow(key.path, "HKEY_LOCAL_MACHINE\\SOFTWARE") ? 1 : 0;
        for (const RegeditValue& value : key.values) {
            matches += RegNamesEqual(value.name, "Card State") ? value.data.size() : 0;
        }
    }
    return matches == SIZE_MAX ? 1 : 0;
}
