// The database engine's SQL translation on arbitrary UTF-16 text. A text
// it accepts must come back without the dialect's own tokens outside
// strings and names: no '[' or '#' left for SQLite to misread ('&' is
// SQLite's bitwise and, which Jet's And becomes outside conditions).
#include "database/engine/sql_dialect.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::u16string jet;
    for (size_t i = 0; i + 1 < size; i += 2) jet += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::u16string sqlite;
    std::string error;
    if (!dbengine::translate_sql(jet, &sqlite, &error)) return 0;
    char16_t quote = 0;
    for (char16_t c : sqlite) {
        if (quote) {
            if (c == quote) quote = 0;  // a doubled quote closes and reopens
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '[' || c == '#') {
            std::abort();
        }
    }
    if (quote) std::abort();  // every string and name is closed
    return 0;
}
