// What the update makes of the version list's values: the Name and Version texts decide the new
// file's name, whether the version is shown, and the question put to the user (and the list's text
// they are read from); and what a finished request left decides whether it counts as a download. A
// signed list's file entries, the build's key text and the check that a signed version is newer
// read the same bytes.
#include "fuzzcheck.h"
#include "info/profiletext.h"
#include "info/updatemanifest.h"
#include "info/updatetext.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // "Name" up to the first line feed, "Version" after it, as the two values of the list.
  const std::size_t lf = input.find('\n');
  const std::string name = input.substr(0, lf);
  const std::string version = lf == std::string::npos ? std::string() : input.substr(lf + 1);

  const std::string newName = dynlog::NewProgramFileName(name);
  FUZZ_CHECK(newName.size() >= 4 && newName.compare(newName.size() - 4, 4, ".ex_") == 0);
  FUZZ_CHECK(newName.size() <= name.size() + 4);

  const dynlog::ProgramLocation where = dynlog::SplitProgramPath(name);
  FUZZ_CHECK(where.folder + where.fileName == name);
  FUZZ_CHECK(where.fileName.find_first_of("\\/:") == std::string::npos);

  if (dynlog::VersionTextReadable(version)) {
    FUZZ_CHECK(version.size() <= 64 * 4);
    FUZZ_CHECK(version != "-1");
    for (const char c : version)
      FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) != 0x7F);
    const std::string question = dynlog::UpdateQuestionText(version, "Version 1.0.0.1");
    FUZZ_CHECK(question.find(version) != std::string::npos);
    FUZZ_CHECK(question.size() < 400);
  }

  // The whole input as the version list itself: a value never holds a line's end or a NUL.
  const dynlog::ProfileText list(input);
  for (const char* key : {"Name", "Version"})
    if (const auto value = list.Find("KM470Programm", key))
      FUZZ_CHECK(value->find_first_of(std::string("\r\n\0", 3)) == std::string::npos);

  // The same values as a signed list's file entry, a key text, and a signed version.
  if (const auto entry = dynlog::ParseSignedFile(name)) {
    FUZZ_CHECK(entry->size >= 0 && entry->size < 1000000000000000);
    FUZZ_CHECK(name.size() >= 66);
  }
  if (dynlog::ParsePublicKey(name))
    FUZZ_CHECK(name.size() >= 128);
  if (dynlog::SignedVersionNewer(version, name)) {
    // Newer is strict: a version is never newer than itself, and never both ways.
    FUZZ_CHECK(!dynlog::SignedVersionNewer(version, version));
    FUZZ_CHECK(!dynlog::SignedVersionNewer(name, version));
  }

  // The bytes also stand for a reply: status, lengths and the body's first bytes.
  if (size >= 12) {
    dynlog::DownloadReply reply;
    reply.headerValid = data[0] & 1;
    reply.replyCode = data[1] | (data[2] << 8);
    std::int64_t announced = 0;
    for (int i = 0; i < 4; ++i)
      announced = announced << 8 | data[3 + i];
    if (data[0] & 2)
      reply.announcedLength = announced;
    reply.bodyBytes = data[7] | (data[8] << 8);
    reply.bodyStart = std::string_view(input).substr(9, 2);
    const bool program = data[0] & 4;
    if (dynlog::DownloadComplete(reply, program)) {
      FUZZ_CHECK(reply.headerValid && reply.replyCode == 200);
      FUZZ_CHECK(reply.announcedLength ? *reply.announcedLength == reply.bodyBytes
                                       : reply.bodyBytes > 0);
      FUZZ_CHECK(!program || reply.bodyStart == "MZ");
    }
  }
  return 0;
}
