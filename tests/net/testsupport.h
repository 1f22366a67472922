#pragma once
// Small helpers shared by the socket and HTTP tests, beside the ones every test shares.
#include "support/testdata.h"
#include "support/testfiles.h"

using testsupport::MessageOf;
using testsupport::Pattern;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
