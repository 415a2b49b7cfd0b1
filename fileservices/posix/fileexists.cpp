#include "fileservices/fileexists.h"

#include <sys/stat.h>

#include "fileservices/hostpath.h"

namespace FileMisc {

bool FileExists(std::string_view path) {
  const std::optional<std::string> host = hostpath::ToHostPath(path);
  struct stat st;
  return host && stat(host->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace FileMisc
