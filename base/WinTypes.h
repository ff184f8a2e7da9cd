#pragma once
// The handful of scalar types and message numbers the code base uses, under
// short fixed-width names, without pulling in any platform header.
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr UINT WM_USER = 0x0400;
// One received serial byte: wParam the byte 0..255, lParam the port number.
constexpr UINT WM_PORT_RXCHAR = WM_USER + 7;
