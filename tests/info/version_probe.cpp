// Writes the version text it reads from its own file into the file named by its argument.
#include <cstdio>

#include "info/fileversion.h"

int main(int argc, char** argv) {
  if (argc < 2)
    return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out)
    return 3;
  const std::string text = dynlog::RunningProgramVersionText();
  std::fputs(text.c_str(), out);
  return std::fclose(out) == 0 ? 0 : 4;
}
