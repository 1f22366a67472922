#pragma once
// Texts for the error codes of the socket library.
#include <string>

namespace net {

// "<code>:<message>" from the table, "Unbekannte Fehlernummer <code>" for codes it lacks, and an
// empty text for code 0 (no error).
std::string WinsockErrorText(int code);

} // namespace net
