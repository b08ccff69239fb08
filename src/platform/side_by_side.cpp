#include "platform/side_by_side.h"

#include "platform/text.h"

namespace tw {
namespace {

constexpr bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char16_t a = text[i], b = prefix[i];
    if (AsciiLower(a) != AsciiLower(b) && !(IsSeparator(a) && IsSeparator(b))) return false;
  }
  return true;
}

// An absolute path split into its root kind and the rest: "C:\x" stays as it is, a share ("\\server\share\x",
// "\\?\UNC\server\share\x") keeps "server\share\x". Empty when the path is neither.
struct Rooted {
  bool share = false;
  std::u16string_view rest;
};

Rooted Root(std::u16string_view path) {
  for (std::u16string_view prefix : {u"\\\\?\\", u"\\\\.\\", u"\\??\\"}) {
    if (StartsWithNoCase(path, prefix)) {
      path.remove_prefix(prefix.size());
      if (StartsWithNoCase(path, u"UNC\\")) return {true, path.substr(4)};
      break;
    }
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return {true, path.substr(2)};
  const bool drive = path.size() >= 3 && AsciiLower(path[0]) >= u'a' && AsciiLower(path[0]) <= u'z' &&
                     path[1] == u':' && IsSeparator(path[2]);
  return drive ? Rooted{false, path} : Rooted{};
}

// A component that Windows would drop or climb with: "", ".", "..", and names of dots and spaces only.
bool IsEmptyOrDots(std::u16string_view component) {
  for (char16_t c : component) {
    if (c != u'.' && c != u' ') return false;
  }
  return true;
}

// The part of a path below its root: non-empty components only, none of them dots, no ':' at all.
bool IsPlainRelative(std::u16string_view relative) {
  if (relative.empty()) return false;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = start;
    while (end < relative.size() && !IsSeparator(relative[end])) ++end;
    const std::u16string_view component = relative.substr(start, end - start);
    if (IsEmptyOrDots(component) || component.find(u':') != std::u16string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsInsideFolder(std::u16string_view path, std::u16string_view folder) {
  const Rooted inner = Root(path);
  Rooted outer = Root(folder);
  if (inner.rest.empty() || outer.rest.empty() || inner.share != outer.share) return false;
  while (!outer.rest.empty() && IsSeparator(outer.rest.back())) outer.rest.remove_suffix(1);
  if (outer.rest.empty() || !StartsWithNoCase(inner.rest, outer.rest)) return false;
  // "C:\" as the folder is "C:" here: whatever the folder, a separator follows it.
  const std::u16string_view below = inner.rest.substr(outer.rest.size());
  return !below.empty() && IsSeparator(below.front()) && IsPlainRelative(below.substr(1));
}

bool AssemblyFromWindowsFolder(std::u16string_view manifest_path, std::u16string_view directory,
                               std::u16string_view windows_folder) {
  if (!IsInsideFolder(manifest_path, windows_folder)) return false;
  if (directory.empty()) return true;
  const bool bare =
      directory.find_first_of(u"\\/:") == std::u16string_view::npos && !IsEmptyOrDots(directory);
  return bare || IsInsideFolder(directory, windows_folder);
}

}  // namespace tw
