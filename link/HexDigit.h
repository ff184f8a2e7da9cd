#pragma once
// Value of one hexadecimal digit of a reply, either case; -1 for any other
// character. Shared by the reply assembler and the search-reply decoder.
inline int HexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
