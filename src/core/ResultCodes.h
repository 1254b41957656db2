#pragma once

#include <cstdint>

// Windows-style 32-bit result codes: negative values are failures.
using ResultCode = std::int32_t;

inline constexpr ResultCode S_OK = 0;
inline constexpr ResultCode S_FALSE = 1;
inline constexpr ResultCode E_NOTIMPL = static_cast<ResultCode>(0x80004001u);
inline constexpr ResultCode E_POINTER = static_cast<ResultCode>(0x80004003u);
inline constexpr ResultCode E_ABORT = static_cast<ResultCode>(0x80004004u);
inline constexpr ResultCode E_FAIL = static_cast<ResultCode>(0x80004005u);
inline constexpr ResultCode E_UNEXPECTED = static_cast<ResultCode>(0x8000FFFFu);
inline constexpr ResultCode E_ACCESSDENIED = static_cast<ResultCode>(0x80070005u);
inline constexpr ResultCode E_OUTOFMEMORY = static_cast<ResultCode>(0x8007000Eu);
inline constexpr ResultCode E_INVALIDARG = static_cast<ResultCode>(0x80070057u);

inline constexpr bool Succeeded(ResultCode code) {
  return code >= 0;
}
inline constexpr bool Failed(ResultCode code) {
  return code < 0;
}
