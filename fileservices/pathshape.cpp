#include "fileservices/pathshape.h"

namespace pathshape {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

Shape ShapeOf(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return Shape::None;
  if (path[0] == '/') return Shape::Host;
  const char letter = static_cast<char>(path[0] | 0x20);
  if (path.size() >= 2 && letter >= 'a' && letter <= 'z' && path[1] == ':' &&
      (path.size() == 2 || IsSeparator(path[2])))
    return Shape::Drive;
  return Shape::None;
}

std::vector<std::string_view> Parts(std::string_view path) {
  std::size_t pos = ShapeOf(path) == Shape::Drive ? 2 : 0;
  std::vector<std::string_view> parts;
  while (pos < path.size()) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view part = path.substr(pos, end - pos);
    pos = end;
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      parts.push_back(part);
    } else if (!parts.empty()) {
      parts.pop_back();
    }
  }
  return parts;
}

}  // namespace pathshape
