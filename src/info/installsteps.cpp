#include "info/installsteps.h"

namespace dynlog {

bool InstallAll(const std::vector<bool>& oldExists,
                const std::function<bool(const InstallStep&)>& perform) {
  std::vector<InstallStep> steps;
  for (const InstallStep::Kind kind :
       {InstallStep::PutOldAside, InstallStep::PutNewInPlace, InstallStep::CheckNew})
    for (std::size_t file = 0; file < oldExists.size(); ++file)
      if (kind != InstallStep::PutOldAside || oldExists[file])
        steps.push_back({kind, file});
  for (std::size_t taken = 0; taken < steps.size(); ++taken) {
    if (perform(steps[taken]))
      continue;
    // A new file leaves its place before the old one comes back to it.
    while (taken-- > 0) {
      const InstallStep& done = steps[taken];
      if (done.kind == InstallStep::PutNewInPlace)
        perform({InstallStep::TakeNewOut, done.file});
      else if (done.kind == InstallStep::PutOldAside)
        perform({InstallStep::PutOldBack, done.file});
    }
    return false;
  }
  return true;
}

} // namespace dynlog
