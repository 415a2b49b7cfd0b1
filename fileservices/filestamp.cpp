#include "fileservices/filestamp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "fileservices/fileexists.h"
#include "fileservices/inputfile.h"

namespace FileMisc {
namespace {

constexpr std::uint64_t kPrime = 0x9E3779B185EBCA87ull;

std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) {
  lane = (lane ^ word) * kPrime;
  return lane ^ (lane >> 31);
}

std::uint64_t Word(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

}  // namespace

// Four lanes side by side, so that the multiplications of one step do not wait on each
// other; every lane sees every fourth word.
void ContentDigest::Block(const unsigned char* block) {
  for (int i = 0; i < 4; ++i) lanes_[i] = Mix(lanes_[i], Word(block + 8 * i));
}

void ContentDigest::Add(const char* bytes, std::size_t size) {
  auto p = reinterpret_cast<const unsigned char*>(bytes);
  total_ += size;
  if (pendingSize_ > 0) {
    const std::size_t take = std::min(size, kBlock - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    size -= take;
    if (pendingSize_ < kBlock) return;
    Block(pending_);
    pendingSize_ = 0;
  }
  for (; size >= kBlock; p += kBlock, size -= kBlock) Block(p);
  std::memcpy(pending_, p, size);
  pendingSize_ = size;
}

std::uint64_t ContentDigest::Value() const {
  unsigned char last[kBlock] = {};
  std::memcpy(last, pending_, pendingSize_);
  std::uint64_t h = total_;
  for (int i = 0; i < 4; ++i) h = Mix(h ^ lanes_[i], Word(last + 8 * i));
  // The last bits reach every bit of the result.
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return h;
}

DiskState CompareWithDisk(std::string_view path, const ContentStamp& stamp) {
  fileservices_internal::InputFile file(hostpath::ToHostPath(path));
  if (!file.isOpen()) return FileExists(path) ? DiskState::Changed : DiskState::Gone;
  FileIdentity now;
  if (!stamp.known || !file.Identify(now)) return DiskState::Changed;
  if (now == stamp.identity) return DiskState::AsRead;
  if (now.size != stamp.bytes) return DiskState::Changed;
  // Touched, copied back, or rewritten with other bytes of the same length: read it.
  std::vector<char> buffer(1024 * 1024);
  ContentDigest digest;
  std::uint64_t total = 0;
  for (;;) {
    const std::ptrdiff_t n = file.Read(buffer.data(), buffer.size());
    if (n < 0) return DiskState::Changed;
    if (n == 0) break;
    digest.Add(buffer.data(), static_cast<std::size_t>(n));
    total += static_cast<std::uint64_t>(n);
  }
  return total == stamp.bytes && digest.Value() == stamp.digest ? DiskState::AsRead
                                                                : DiskState::Changed;
}

}  // namespace FileMisc
