#include "fileservices/replacefile.h"

#include "fileservices/filestamp.h"

namespace fileservices_internal {
namespace {
using NameView = std::basic_string_view<hostpath::HostPath::value_type>;
hostpath::HostPath Ascii(std::string_view text) { return {text.begin(), text.end()}; }
}  // namespace

hostpath::HostPath TempName(NameView base, unsigned long long number) {
  hostpath::HostPath stem(base);
  // A long name would overflow the name length limit once the suffix is added: a digest
  // of it stands for it, so that two long names in one folder keep apart.
  if (base.size() > 200) {
    FileMisc::ContentDigest digest;
    digest.Add(reinterpret_cast<const char*>(base.data()), base.size() * sizeof base[0]);
    std::string name = "norvik-";
    for (std::uint64_t v = digest.Value(), i = 0; i < 16; ++i, v >>= 4)
      name += "0123456789abcdef"[v & 15];
    stem = Ascii(name);
  }
  return Ascii(".") + stem + Ascii("." + std::to_string(number) + ".tmp");
}

bool IsTempName(NameView name, NameView base) {
  // The number is all that varies: read back, it has to make the very same name (what is
  // not a digit in its place makes a number whose name differs).
  const hostpath::HostPath shortest = TempName(base, 0);
  if (name.size() < shortest.size()) return false;
  unsigned long long number = 0;
  for (const auto c : name.substr(shortest.size() - 5, name.size() - shortest.size() + 1))
    number = number * 10 + static_cast<unsigned long long>(c - '0');
  return number < kTempNumbers && TempName(base, number) == name;
}

}  // namespace fileservices_internal

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
