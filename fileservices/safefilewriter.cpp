#include "fileservices/safefilewriter.h"

#include <fcntl.h>
#include <unistd.h>

#include "fileservices/hostpath.h"
#include "fileservices/replacefile.h"

namespace FileMisc {

struct SafeFileWriter::Impl {
  fileservices_internal::FileReplacement replacement;
  bool done = false;
};

SafeFileWriter::SafeFileWriter(std::string_view path) : impl_(std::make_unique<Impl>()) {
  const std::optional<std::string> host = hostpath::ToHostPath(path);
  if (!host) return;
  const std::optional<fileservices_internal::ReplaceTarget> target =
      fileservices_internal::FindReplaceTarget(*host);
  // A save only ever replaces a file that is there. Root may write anything, so the
  // write bits are checked by hand: a file marked read-only stays as it is.
  if (!target || !target->exists || !S_ISREG(target->info.st_mode) ||
      (target->info.st_mode & 0222) == 0 ||
      faccessat(AT_FDCWD, target->path.c_str(), W_OK, AT_EACCESS) != 0)
    return;
  impl_->replacement.Begin(*target);
}

SafeFileWriter::~SafeFileWriter() = default;

bool SafeFileWriter::ok() const { return !impl_->done && impl_->replacement.ok(); }

bool SafeFileWriter::WriteLine(std::string_view bytes) {
  return ok() && impl_->replacement.Write(bytes) && impl_->replacement.Write("\r\n");
}

bool SafeFileWriter::Commit() {
  if (!ok()) return false;
  impl_->done = true;
  return impl_->replacement.Commit();
}

}  // namespace FileMisc
