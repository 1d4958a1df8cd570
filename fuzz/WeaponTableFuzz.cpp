#include "expr/Exception.h"
#include "weapons/TextEncoding.h"
#include "weapons/WeaponRanking.h"
#include "weapons/WeaponTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Random bytes as a weapon table, as they are and, when they are UTF-8, once
// more re-encoded to Shift_JIS as a Windows editor would save them. A
// rejected table (EFileError) is fine; a crash or sanitizer report is not,
// nor a loaded table that breaks the slot rule. A loaded table is also
// ranked: a fault of the arithmetic (damages near the double's range
// overflow) is fine, a ranking with a row missing is not.
namespace {

void Load(const std::string& bytes)
{
    TWeaponTable table;
    try {
        table.LoadFromBytes(bytes);
    } catch (const Exception&) {
        if (table.Count() != 0)
            std::abort();
        return;
    }
    if (table.Count() < 0 ||
        (table.Count() > 0 && table.Slots().size() != static_cast<std::size_t>(table.Count()) + 1))
        std::abort();
    for (int index = -1; index <= table.Count(); ++index)
        if (table.FindByIndex(index).has_value() != (index >= 0 && index < table.Count()))
            std::abort();

    static TWeaponRanking ranking;
    try {
        if (ranking.Rank(table).size() != static_cast<std::size_t>(table.Count()))
            std::abort();
    } catch (const EMathError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Load(bytes);

    std::string utf8;
    std::size_t badOffset = 0;
    if (TryDecodeToUtf8(bytes, utf8, badOffset)) {
        try {
            Load(EncodeUtf8ToShiftJis(utf8));
        } catch (const Exception&) {
            // Text that Shift_JIS cannot hold.
        }
    }
    return 0;
}
