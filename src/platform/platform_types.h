#pragma once

#include <climits>
#include <cstdint>

// The small Win32-shaped vocabulary the game is written against. Results are HRESULTs:
// negative means failure. Nothing here includes a system header, so game code can use it.

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr HRESULT MakeHresult(std::uint32_t code) { return static_cast<HRESULT>(code); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = MakeHresult(0x80004005u);
constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001u);
constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHresult(0x800401F0u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Identifies devices, interfaces and algorithms (sound's 3D algorithm, controller instances).
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using REFGUID = const GUID&;
constexpr GUID GUID_NULL{};

// A window of the platform layer. Its contents are private to src/platform.
struct PlatformWindow;
using HWND = PlatformWindow*;
using HINSTANCE = void*;
using HMODULE = void*;

// Paths use the platform's limit, not Windows' 260 characters.
constexpr int kMaxPath = PATH_MAX;
