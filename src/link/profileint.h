#pragma once
// Integers as km470.ini holds them.
#include <string_view>

// A decimal integer (leading blanks and a sign allowed) or a hexadecimal one with one of the
// prefixes "$", "x", "X", "0x", "0X"; anything else, or a number outside the range of an int in
// either form, gives def.
int ProfileIntFromText(std::string_view text, int def);
