// SPDX-License-Identifier: BSD-2-Clause
#include "textio/platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

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
};

// Indexed by StdHandle.
std::array<HandleState, 3> g_handles;

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

HandleState classify(DWORD id) {
  const HANDLE handle = GetStdHandle(id);
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

const HandleState& state(StdHandle handle) { return g_handles[static_cast<std::size_t>(handle)]; }

// ReadFile and WriteFile take a DWORD count; larger spans go in several calls.
DWORD chunk(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, 0x7fffffff));
}

}  // namespace

void start_platform() {
  for (std::size_t i = 0; i < g_handles.size(); ++i) g_handles[i] = classify(kStdHandleIds[i]);
}

// Which file a handle leads to: its volume's serial number and its index
// there. Wine answers the classic query only for files it opened itself, and
// the newer one (Windows 8 and later) for those a Unix parent handed down too.
bool identify(HANDLE handle, FILE_ID_INFO& id) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(handle, &info)) {
    id.VolumeSerialNumber = info.dwVolumeSerialNumber;
    const ULONGLONG index = ULONGLONG{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    std::memcpy(id.FileId.Identifier, &index, sizeof index);
    return true;
  }
  return GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) != 0;
}

bool input_is_output() {
  const HandleState& in = state(StdHandle::Input);
  const HandleState& out = state(StdHandle::Output);
  if (in.kind != StreamKind::DiskFile || out.kind != StreamKind::DiskFile) return false;
  FILE_ID_INFO a{};
  FILE_ID_INFO b{};
  if (!identify(in.handle, a) || !identify(out.handle, b) ||
      a.VolumeSerialNumber != b.VolumeSerialNumber ||
      std::memcmp(a.FileId.Identifier, b.FileId.Identifier, sizeof a.FileId.Identifier) != 0)
    return false;
  LARGE_INTEGER at{};
  LARGE_INTEGER size{};
  return SetFilePointerEx(in.handle, LARGE_INTEGER{}, &at, FILE_CURRENT) &&
         GetFileSizeEx(in.handle, &size) && at.QuadPart < size.QuadPart;
}

StreamKind handle_kind(StdHandle handle) { return state(handle).kind; }

IoResult read_handle(StdHandle handle, std::span<unsigned char> into) {
  const HandleState& h = state(handle);
  if (!h.usable) return {0, kBadDescriptor};
  DWORD got = 0;
  if (ReadFile(h.handle, into.data(), chunk(into.size()), &got, nullptr)) return {got, 0};
  return {0, read_failure(GetLastError())};  // 0: a closed pipe, end of input
}

IoResult write_handle(StdHandle handle, std::span<const unsigned char> bytes) {
  const HandleState& h = state(handle);
  if (!h.usable) return {0, kBadDescriptor};
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

bool step_back_one_byte(StdHandle handle) {
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
