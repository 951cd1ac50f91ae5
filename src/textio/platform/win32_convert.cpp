// SPDX-License-Identifier: BSD-2-Clause
#include <windows.h>

#include <array>
#include <climits>
#include <cstddef>

#include "textio/heap_bytes.h"
#include "textio/platform/platform.h"

// KERNEL32's code-page functions convert: the text to UTF-16, then to UTF-8.

namespace fieldsift {
namespace {

// Indexed by SystemCharset: GBK, GB18030, Big5, Shift_JIS (as Windows-31J),
// EUC-JP, ISO-2022-JP (with half-width katakana), EUC-KR (as its extension, UHC).
constexpr std::array<UINT, 7> kCodePages = {936, 54936, 950, 932, 20932, 50221, 949};

// The ISO-2022 code pages take no flags, so nothing makes them refuse a
// byte; they put U+FFFD in its place, a character their 7-bit text cannot
// carry otherwise.
constexpr UINT kFirstIso2022Page = 50220;
constexpr UINT kLastIso2022Page = 50229;
constexpr wchar_t kReplacement = 0xFFFD;

bool is_iso2022(UINT code_page) {
  return code_page >= kFirstIso2022Page && code_page <= kLastIso2022Page;
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

// The UTF-16 of text in the code page, in wide; its length, or 0 and a failure.
int to_utf16(UINT code_page, std::span<const unsigned char> bytes, HeapBytes& wide,
             Conversion& failure) {
  const DWORD flags = is_iso2022(code_page) ? 0 : MB_ERR_INVALID_CHARS;
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, flags, text, size, nullptr, 0);
  if (length <= 0) {
    failure = failed_conversion();
    return 0;
  }
  wide = allocate_bytes(static_cast<std::size_t>(length) * sizeof(wchar_t));
  auto* units = reinterpret_cast<wchar_t*>(wide.get());
  if (!wide || MultiByteToWideChar(code_page, flags, text, size, units, length) != length) {
    failure = wide ? failed_conversion() : Conversion::NoMemory;
    return 0;
  }
  for (int i = 0; is_iso2022(code_page) && i < length; ++i) {
    if (units[i] == kReplacement) {
      failure = Conversion::Refused;
      return 0;
    }
  }
  return length;
}

}  // namespace

Conversion convert_to_utf8(SystemCharset charset, std::span<const unsigned char> bytes,
                           ByteVector& out) {
  const UINT code_page = kCodePages[static_cast<std::size_t>(charset)];
  if (!IsValidCodePage(code_page)) return Conversion::NoConverter;
  if (bytes.empty()) return Conversion::Converted;
  // A UTF-16 unit takes 2 bytes, and one may come to 3 in UTF-8.
  if (bytes.size() > INT_MAX / 3) return Conversion::NoMemory;
  HeapBytes wide;
  Conversion failure = Conversion::Converted;
  const int length = to_utf16(code_page, bytes, wide, failure);
  if (length == 0) return failure;
  const auto* units = reinterpret_cast<const wchar_t*>(wide.get());
  const int size = WideCharToMultiByte(CP_UTF8, 0, units, length, nullptr, 0, nullptr, nullptr);
  HeapBytes utf8 = allocate_bytes(static_cast<std::size_t>(size > 0 ? size : 1));
  if (!utf8) return Conversion::NoMemory;
  auto* into = reinterpret_cast<char*>(utf8.get());
  if (size <= 0 ||
      WideCharToMultiByte(CP_UTF8, 0, units, length, into, size, nullptr, nullptr) != size)
    return failed_conversion();
  if (!out.append({utf8.get(), static_cast<std::size_t>(size)})) return Conversion::NoMemory;
  return Conversion::Converted;
}

}  // namespace fieldsift
