// The simulated machine's system code page, Windows-1252 (Western European),
// and the ANSI text services Windows builds on it: conversion to and from
// UTF-16, upper-casing and the case-insensitive order of the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace qm::sim {

// Every byte has a UTF-16 counterpart: the five bytes 1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value,
// as MultiByteToWideChar does on Windows.
std::u16string AnsiToUtf16(std::string_view text);

// Characters without a 1252 byte (and lone surrogates) become '?', one per
// UTF-16 code unit.
std::string Utf16ToAnsi(std::u16string_view text);

// Upper case of one 1252 character as CharUpperBuffA gives it: a-z, the
// accented small letters (including š, œ, ž and ÿ -> Ÿ); others unchanged
// (ß and µ have no capital in 1252).
char AnsiUpper(char c);

// The order CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ...) gives
// in the Western locale (a "word sort"); <0, 0 or >0. Three levels:
//  1. The characters' base weights: all symbols sort before digits, digits
//     before letters; an accented letter weighs as its base letter, case
//     aside; Æ, Œ, ß and Þ weigh as AE, OE, SS and TH (™ is a letter of
//     its own between T and U). Hyphens, apostrophes, the soft hyphen and
//     control characters weigh nothing here, so "co-op" sorts next to "coop".
//  2. Then the accents decide (the plain letter first).
//  3. Then the characters skipped in 1, by position and kind.
// So texts equal ignoring case compare equal, and so do "æ" and "ae", "ß"
// and "ss", "þ" and "th", as on Windows.
int AnsiCompareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace qm::sim
