#include "info/versionlist.h"

#include "base/text.h"

#include <windows.h>

namespace dynlog {
namespace {

// The list as UTF-8, the form every text of the program has.
std::string Utf8Text(std::string_view bytes) {
  constexpr std::string_view kUtf8Mark = "\uFEFF"; // EF BB BF in UTF-8
  if (bytes.starts_with(kUtf8Mark))
    return std::string(bytes.substr(kUtf8Mark.size()));
  if (bytes.empty())
    return {};
  const int size = static_cast<int>(bytes.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int got = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return base::Narrow(wide);
}

} // namespace

VersionList::VersionList(std::string_view bytes) : text_(Utf8Text(bytes)) {}

} // namespace dynlog
