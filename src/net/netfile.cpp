#include "net/netfile.h"

#include "base/fileerror.h"
#include "base/text.h"

namespace net {

NetFile NetFile::Create(const std::string& name) {
  base::UniqueFile h(CreateFileW(base::Widen(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h)
    throw base::FileError::CannotCreate(name);
  return NetFile(std::move(h), name);
}

NetFile NetFile::OpenRead(const std::string& name) {
  base::UniqueFile h(CreateFileW(base::Widen(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h)
    throw base::FileError::CannotOpen(name);
  return NetFile(std::move(h), name);
}

void NetFile::Write(const void* data, std::size_t count) {
  const auto* bytes = static_cast<const char*>(data);
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(handle_.get(), bytes, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0)
      throw base::FileError::CannotWrite(name_);
    bytes += written;
    count -= written;
  }
}

std::size_t NetFile::Read(void* data, std::size_t count) {
  DWORD got = 0;
  if (!ReadFile(handle_.get(), data, static_cast<DWORD>(count), &got, nullptr))
    throw base::FileError::CannotRead(name_);
  return got;
}

std::uint64_t NetFile::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_.get(), &size))
    return 0;
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t NetFile::Position() const {
  LARGE_INTEGER zero{}, pos{};
  if (!SetFilePointerEx(handle_.get(), zero, &pos, FILE_CURRENT))
    return 0;
  return static_cast<std::uint64_t>(pos.QuadPart);
}

} // namespace net
