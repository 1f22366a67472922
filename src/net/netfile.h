#pragma once
// A file of the internet client (captured bodies, header files, request data), named in UTF-8.
#include "base/handles.h"

#include <cstdint>
#include <string>

namespace net {

class NetFile {
public:
  // Creates the file, emptying one that exists; raises "Datei <name> kann nicht erstellt werden".
  static NetFile Create(const std::string& name);
  // Opens for reading; raises "Datei <name> kann nicht geöffnet werden".
  static NetFile OpenRead(const std::string& name);

  void Write(const void* data, std::size_t count);
  // Returns the number of bytes read, 0 at the end.
  std::size_t Read(void* data, std::size_t count);
  std::uint64_t Size() const;
  std::uint64_t Position() const;
  void Close() { handle_.reset(); }

private:
  NetFile(base::UniqueFile handle, std::string name)
      : handle_(std::move(handle)), name_(std::move(name)) {}

  base::UniqueFile handle_;
  std::string name_;
};

} // namespace net
