#pragma once
// The recording in memory as a test opened from its file would give it: its CSV head with the
// summary, its values with their lamps and true times. The report page, the chart picture and the
// whole-test view then take a recording and an opened file alike.
#include "files/reader.h"
#include "test/recording.h"

namespace dynlog {

OpenedTest RecordedTest(const Recording& recording);

} // namespace dynlog
