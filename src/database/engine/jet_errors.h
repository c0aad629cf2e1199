// The engine's error number and text for a statement SQLite refused or
// failed to run, and for the failures of the translation and of the
// engine's functions, which carry their number before their text.
#pragma once

#include <string>

namespace dbengine {

struct JetError {
    int number = 0;
    std::u16string text;
};

// False when the message is none of those the engine names.
bool jet_error(const std::u16string &message, const std::u16string &statement, JetError *out);

}  // namespace dbengine
