#include "fileservices/safefilewriter.h"

#include "fileservices/replacefile.h"

namespace FileMisc {

struct SafeFileWriter::Impl {
  fileservices_internal::FileReplacement replacement;
  bool done = false;
};

SafeFileWriter::SafeFileWriter(std::string_view path) : impl_(std::make_unique<Impl>()) {
  const std::optional<fileservices_internal::ReplaceTarget> target =
      fileservices_internal::FindReplaceTarget(hostpath::ToHostPath(path));
  // A save only ever replaces a file that is there, and never one marked to be left alone.
  if (target && target->exists && target->saveable) impl_->replacement.Begin(*target);
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
