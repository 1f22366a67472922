#pragma once
// Files the program update makes for a while: fresh names of the update's own form (see
// IsUpdateTempName), created empty, and deleted again on every way out of the update, an exception
// included; what a killed program leaves, the next start removes.
#include <cstdint>
#include <optional>
#include <string>

namespace dynlog {

class TempFile {
public:
  // Creates a fresh, empty file "dynlog-update-XXXXXXXX.part" in folder (a path ending in a
  // backslash). Raises base::FileError when the folder takes no new file.
  static TempFile CreateIn(const std::string& folder);
  // The same in the system's temporary folder.
  static TempFile Create();

  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&&) = delete;
  TempFile(const TempFile&) = delete;
  ~TempFile() { Remove(); }

  const std::string& Name() const { return name_; }
  // Deletes the file now (it may already be gone).
  void Remove() noexcept;
  // Moves the file onto target, replacing a file of that name. Afterwards this object no longer
  // owns it. Returns false, and keeps the file, when the system refuses.
  bool MoveTo(const std::string& target);
  // Gives the file up without deleting it: it stays where it is.
  void Release() noexcept { name_.clear(); }

private:
  explicit TempFile(std::string name) : name_(std::move(name)) {}
  std::string name_; // UTF-8; empty once removed or moved
};

bool FileExists(const std::string& path);

// Opens a file for reading so that nobody can write it while this handle is open; renaming and
// deleting it stay possible (deny = true: those are refused too). Invalid when the system refuses.
void* OpenUnwritable(const std::string& path, bool denyDelete);

// Opens a downloaded file so that nobody else can write, rename or delete it while this handle is
// open; this handle itself can still rename it (RenameHeld). Invalid when the system refuses.
void* HoldFile(const std::string& path);

// Gives a file held by HoldFile the name target in the same folder (replace: over a file of that
// name).
bool RenameHeld(void* file, const std::string& target, bool replace);

// Whether two open handles are the same file (not merely files of the same bytes).
bool SameFile(void* a, void* b);

// The system's text for an error code, in the system's language.
std::string SystemErrorText(unsigned long code);

} // namespace dynlog
