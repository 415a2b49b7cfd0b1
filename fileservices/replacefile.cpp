#include "fileservices/replacefile.h"

namespace fileservices_internal::testing {
namespace {
std::function<int(Step)>& Hook() {
  static std::function<int(Step)> hook;
  return hook;
}
}  // namespace

void SetFaultHook(std::function<int(Step)> hook) { Hook() = std::move(hook); }

int InjectedFault(Step step) { return Hook() ? Hook()(step) : 0; }

}  // namespace fileservices_internal::testing
