#include <windows.h>

#include "fileservices/codepage.h"

namespace codepage {

int SystemCodePage() { return static_cast<int>(GetACP()); }

}  // namespace codepage
