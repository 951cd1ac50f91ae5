// SPDX-License-Identifier: BSD-2-Clause
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstddef>

#include "bytes/heap_bytes.h"
#include "textio/platform/platform.h"

// KERNEL32's code-page functions convert: the text to UTF-16, then to UTF-8.
// A system lists a code page it has no table for as invalid: it has no
// converter for that charset then (Wine has none for GB18030).

namespace fieldsift {
namespace {

// Some code pages put U+FFFD for bytes they cannot read, though told to
// refuse them (Wine's EUC-JP, for JIS X 0212): in a charset where U+FFFD is
// no character, it is a refusal.
constexpr wchar_t kReplacement = 0xFFFD;

bool has_replacement(const wchar_t* units, int length) {
  return std::find(units, units + length, kReplacement) != units + length;
}

Conversion failed_conversion() {
  switch (GetLastError()) {
    case ERROR_NO_UNICODE_TRANSLATION:
      return Conversion::Refused;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return Conversion::NoMemory;
    default:
      return Conversion::NoConverter;  // a code page the system lists but cannot convert
  }
}

// Text in a code page as UTF-16: its units and how many, or why there are none.
struct Utf16 {
  HeapBytes units;
  int length = 0;
  Conversion result = Conversion::Converted;
};

Utf16 to_utf16(const SystemCharset& charset, std::span<const unsigned char> bytes) {
  const UINT code_page = charset.code_page;
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  Utf16 wide;
  wide.length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text, size, nullptr, 0);
  if (wide.length <= 0) return {HeapBytes(), 0, failed_conversion()};
  wide.units = allocate_bytes(static_cast<std::size_t>(wide.length) * sizeof(wchar_t));
  if (!wide.units) return {HeapBytes(), 0, Conversion::NoMemory};
  auto* units = reinterpret_cast<wchar_t*>(wide.units.get());
  if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text, size, units, wide.length) !=
      wide.length)
    return {HeapBytes(), 0, failed_conversion()};
  if (!charset.replacement_is_text && has_replacement(units, wide.length))
    return {HeapBytes(), 0, Conversion::Refused};
  return wide;
}

}  // namespace

Conversion convert_to_utf8(const SystemCharset& charset, std::span<const unsigned char> bytes,
                           ByteVector& out) {
  if (charset.code_page == kNoCodePage || !IsValidCodePage(charset.code_page))
    return Conversion::NoConverter;
  if (bytes.empty()) return Conversion::Converted;
  // A UTF-16 unit takes 2 bytes, and one may come to 3 in UTF-8.
  if (bytes.size() > INT_MAX / 3) return Conversion::NoMemory;
  const Utf16 wide = to_utf16(charset, bytes);
  if (wide.result != Conversion::Converted) return wide.result;
  const auto* units = reinterpret_cast<const wchar_t*>(wide.units.get());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, units, wide.length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return failed_conversion();
  HeapBytes utf8 = allocate_bytes(static_cast<std::size_t>(size));
  if (!utf8) return Conversion::NoMemory;
  auto* into = reinterpret_cast<char*>(utf8.get());
  if (WideCharToMultiByte(CP_UTF8, 0, units, wide.length, into, size, nullptr, nullptr) != size)
    return failed_conversion();
  return out.append({utf8.get(), static_cast<std::size_t>(size)}) ? Conversion::Converted
                                                                  : Conversion::NoMemory;
}

}  // namespace fieldsift
