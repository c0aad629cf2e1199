// "Shell IDList Array" on POSIX: there is no shell namespace, so no item
// list names a path.
#include "shell/drop_text.h"

namespace shell {

bool idlist_path(const void *, size_t, UINT, std::u16string &) { return false; }

}  // namespace shell
