// SPDX-License-Identifier: BSD-2-Clause
#include "textio/platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "bytes/utf8.h"
#include "textio/platform/win32_errors.h"

// The argument vector is the C runtime's own split of GetCommandLineA, which
// main receives; this file sees only the handles. Every byte goes through
// ReadFile and WriteFile on the raw handles, so the runtime's text mode never
// touches them: the program translates line ends itself.

namespace fieldsift {
namespace {

struct HandleState {
  HANDLE handle = nullptr;
  StreamKind kind = StreamKind::Device;
  bool usable = false;  // false: missing or of unknown kind, every call fails with kBadDescriptor
  bool named = false;   // the Output handle is a file the program opened by name
  bool console_text = false;  // a console, which takes well-formed UTF-8 as text
};

// Indexed by Handle. The standard ones are set once at start-up; the
// named one each time a file is opened by name.
std::array<HandleState, 4> g_handles;

constexpr std::array<DWORD, 3> kStdHandleIds = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
                                                STD_ERROR_HANDLE};

// The device query of ntdll tells NUL from a console, a serial line or a
// printer; it is found at run time, so the program imports nothing but
// KERNEL32 and the C runtime. Nobody can watch NUL: it takes blocks, as a file.
bool is_null_device(HANDLE handle) {
  struct IoStatus {
    LONG_PTR status;
    ULONG_PTR information;
  };
  struct DeviceInfo {
    ULONG type;
    ULONG characteristics;
  };
  using Query = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
  constexpr int kFileFsDeviceInformation = 4;
  constexpr ULONG kFileDeviceNull = 0x15;
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return false;
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): how a looked-up function is called
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryVolumeInformationFile")));
  IoStatus status{};
  DeviceInfo info{};
  return query != nullptr &&
         query(handle, &status, &info, sizeof info, kFileFsDeviceInformation) >= 0 &&
         info.type == kFileDeviceNull;
}

HandleState classify(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};
  switch (GetFileType(handle) & ~static_cast<DWORD>(FILE_TYPE_REMOTE)) {
    case FILE_TYPE_CHAR:
      if (is_null_device(handle)) return {handle, StreamKind::DiskFile, true};
      return {handle, StreamKind::Device, true};
    case FILE_TYPE_PIPE:
      return {handle, StreamKind::Pipe, true};
    case FILE_TYPE_DISK:
      return {handle, StreamKind::DiskFile, true};
    default:  // FILE_TYPE_UNKNOWN, also what a failed query answers
      return {};
  }
}

HandleState& state(Handle handle) { return g_handles[static_cast<std::size_t>(handle)]; }

// ReadFile and WriteFile take a DWORD count; larger spans go in several calls.
DWORD chunk(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, 0x7fffffff));
}

}  // namespace

void start_platform() {
  for (std::size_t i = 0; i < kStdHandleIds.size(); ++i)
    g_handles[i] = classify(GetStdHandle(kStdHandleIds[i]));
}

void close_named() {
  HandleState& named = state(Handle::Named);
  if (named.usable) (void)CloseHandle(named.handle);  // opened for reading only: nothing to lose
  named = {};
}

namespace {

// Why a file could not be opened by name: a directory cannot be opened as a
// file, and is said to be one.
int open_failure(const char* name) {
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return EISDIR;
  return crt_error_number(error);
}

}  // namespace

int open_named(const char* name) {
  close_named();
  HandleState& named = state(Handle::Named);
  const HANDLE handle =
      CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return open_failure(name);
  named = classify(handle);
  named.handle = handle;
  return 0;
}

int open_output(const char* name) {
  const HANDLE handle =
      CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return open_failure(name);
  HandleState& out = state(Handle::Output);
  out = classify(handle);
  out.handle = handle;
  out.named = true;
  return 0;
}

// Which file a handle leads to: its volume's serial number and its index
// there. The newer query (Windows 8 and later) comes first: Wine answers the
// classic one only for files it opened itself, not for those a Unix parent
// handed down, and the two number a file differently, so two handles are
// compared by the newer one wherever it answers for both.
bool identify(HANDLE handle, FILE_ID_INFO& id) {
  if (GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) != 0) return true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id.VolumeSerialNumber = info.dwVolumeSerialNumber;
  const ULONGLONG index = ULONGLONG{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  std::memcpy(id.FileId.Identifier, &index, sizeof index);
  return true;
}

bool identify(HANDLE handle, FileIdentity& identity) {
  FILE_ID_INFO id{};
  if (!identify(handle, id)) return false;
  identity.device = id.VolumeSerialNumber;
  static_assert(sizeof identity.index == sizeof id.FileId.Identifier);
  std::memcpy(identity.index.data(), id.FileId.Identifier, sizeof identity.index);
  return true;
}

// Only files are compared: an anonymous pipe has no name to be opened by,
// so no input is ever the pipe standard output writes to.
bool input_is_output(Handle input) {
  const HandleState& in = state(input);
  const HandleState& out = state(Handle::Output);
  if (in.kind != StreamKind::DiskFile || out.kind != StreamKind::DiskFile) return false;
  FileIdentity a;
  FileIdentity b;
  LARGE_INTEGER at{};
  LARGE_INTEGER size{};
  if (!identify(in.handle, a) || !identify(out.handle, b) ||
      !SetFilePointerEx(in.handle, LARGE_INTEGER{}, &at, FILE_CURRENT) ||
      !GetFileSizeEx(in.handle, &size))
    return false;
  // Wine tells no volume (serial 0) for a handle a Unix parent handed down,
  // and a real one for a file it opened itself: such a pair is told apart by
  // the file's index alone.
  if (a.device == 0 || b.device == 0) a.device = b.device;
  // A file opened as the output was emptied: no input is to be read from it.
  if (out.named) return a.device == b.device && a.index == b.index;
  return reads_own_output(a, b, at.QuadPart, size.QuadPart);
}

StreamKind handle_kind(Handle handle) { return state(handle).kind; }

void write_utf8_as_text(Handle handle) {
  HandleState& h = state(handle);
  DWORD mode = 0;
  h.console_text = h.usable && h.kind == StreamKind::Device && GetConsoleMode(h.handle, &mode);
}

namespace {

bool is_utf8(std::span<const unsigned char> bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = well_formed_length(bytes.subspan(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Well-formed UTF-8 to a console as UTF-16, a piece at a time, each cut
// where a character begins so that none is split.
IoResult write_console_text(HANDLE console, std::span<const unsigned char> bytes) {
  constexpr std::size_t kPiece = 2048;
  std::array<wchar_t, kPiece> units{};
  for (std::size_t done = 0; done < bytes.size();) {
    std::size_t end = std::min(bytes.size(), done + kPiece);
    while (end < bytes.size() && (bytes[end] & 0xC0U) == kContinuationLow) --end;
    const int length = MultiByteToWideChar(
        CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data() + done),
        static_cast<int>(end - done), units.data(), static_cast<int>(units.size()));
    DWORD put = 0;
    for (int sent = 0; sent < length; sent += static_cast<int>(put)) {
      if (!WriteConsoleW(console, units.data() + sent, static_cast<DWORD>(length - sent), &put,
                         nullptr))
        return {done, write_failure(GetLastError())};
      if (put == 0) return {done, EIO};
    }
    done = end;
  }
  return {bytes.size(), 0};
}

}  // namespace

IoResult read_handle(Handle handle, std::span<unsigned char> into) {
  const HandleState& h = state(handle);
  if (!h.usable) return {0, kBadDescriptor};
  DWORD got = 0;
  if (ReadFile(h.handle, into.data(), chunk(into.size()), &got, nullptr)) return {got, 0};
  return {0, read_failure(GetLastError())};  // 0: a closed pipe, end of input
}

bool input_ready(Handle handle) {
  const HandleState& h = state(handle);
  if (!h.usable || h.kind == StreamKind::DiskFile) return true;
  // A console's handle is signalled by any input event, a key's release or a
  // change of focus among them, long before a typed line can be read; a
  // serial line is no surer. A device may always wait.
  if (h.kind == StreamKind::Device) return false;
  DWORD waiting = 0;
  if (PeekNamedPipe(h.handle, nullptr, 0, nullptr, &waiting, nullptr)) return waiting > 0;
  // A pipe whose writer has gone answers its read at once. One that cannot
  // be peeked (Wine's, for a Unix pipe) may wait.
  return GetLastError() == ERROR_BROKEN_PIPE;
}

IoResult write_handle(Handle handle, std::span<const unsigned char> bytes) {
  const HandleState& h = state(handle);
  if (!h.usable) return {0, kBadDescriptor};
  if (h.console_text && is_utf8(bytes)) return write_console_text(h.handle, bytes);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    if (!WriteFile(h.handle, bytes.data() + done, chunk(bytes.size() - done), &put, nullptr)) {
      return {done, write_failure(GetLastError())};
    }
    // A write that succeeds yet moves nothing means no room, as the C runtime reads it.
    if (put == 0) return {done, ENOSPC};
    done += put;
  }
  return {done, 0};
}

bool step_back_one_byte(Handle handle) {
  const HandleState& h = state(handle);
  if (!h.usable || h.kind != StreamKind::DiskFile) return false;
  // With the high half given, the move works past 4 GiB too; a low half of
  // all ones is then a valid position unless the call sets an error.
  LONG high = -1;
  SetLastError(NO_ERROR);
  const DWORD low = SetFilePointer(h.handle, -1, &high, FILE_CURRENT);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

bool is_broken_pipe(int error) { return error == EPIPE; }

void exit_process(int status) { ExitProcess(static_cast<UINT>(status)); }

}  // namespace fieldsift
