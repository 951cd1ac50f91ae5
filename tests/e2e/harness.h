#pragma once

// What every end-to-end test shares: how the program is started, what it
// writes, and how a run's outcome is judged.

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "e2e/process.h"
#include "support/line_model.h"
#include "support/platform_expectations.h"

namespace fieldsift::e2e {

inline constexpr std::chrono::milliseconds kQuiet{200};  // a ready byte shows up well within this
inline constexpr std::chrono::milliseconds kPatience{5000};  // for bytes that must come
inline constexpr std::chrono::milliseconds kPause{20};       // after each piece of paced input
inline constexpr std::size_t kBlockSize = 4096;  // blocks in which output to a pipe goes out

// The programs under test, built side by side.
inline constexpr const char* kFieldsift = FIELDSIFT_BINARY;
inline constexpr const char* kHeadsift = FIELDSIFT_HEADSIFT;

// How a program is started: directly, or through Wine for a Windows build
// (whose own diagnostics would mix into stderr), or through qemu for a build
// for another processor; command[0] is the program.
inline std::vector<std::string> launched(std::vector<std::string> command) {
  if (expected::kWindows) {
    command.insert(command.begin(), FIELDSIFT_WINE);
    static const bool quiet = setenv("WINEDEBUG", "-all", 1) == 0;
    if (!quiet) ADD_FAILURE() << "cannot set WINEDEBUG";
  } else if (expected::kEmulated) {
    command.insert(command.begin(), FIELDSIFT_EMULATOR);
  }
  return command;
}

// The one place that knows how a program is started.
inline Child start(std::vector<std::string> args, StdDescriptors fds,
                   const char* program = kFieldsift) {
  args.insert(args.begin(), program);
  return Child::start(launched(std::move(args)), fds);
}

// Mail text as the program reads it: each line ends in a line feed.
inline std::string mail(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const std::string_view line : lines) (text += line) += '\n';
  return text;
}

// What the program writes for these lines: every line it writes (selected
// lines, usage and reports) ends in CR LF.
inline std::string written(std::initializer_list<std::string_view> lines) {
  return model::with_crlf_line_ends(mail(lines));
}

inline std::string report(std::string_view prefix, std::string_view description) {
  return written({std::string(prefix) + ": " + std::string(description)});
}

inline std::string usage() {
  return written({"fieldsift: fieldsift, Ver 0.1", "usage: fieldsift \"Hoge:\""});
}

// A line of exactly length bytes, line end not counted, that begins with start.
inline std::string long_line(std::string_view start, std::size_t length) {
  std::string line(start);
  line.resize(length, 'x');
  return line;
}

inline std::string visible(std::string_view bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
      shown += c;
      continue;
    }
    std::array<char, 5> escaped{};
    (void)std::snprintf(escaped.data(), escaped.size(), "\\x%02x", byte);
    shown += escaped.data();
  }
  return shown;
}

// Tells sizes and the first difference rather than printing megabytes.
inline testing::AssertionResult same_bytes(std::string_view what, std::string_view got,
                                           std::string_view want) {
  if (got == want) return testing::AssertionSuccess();
  const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
  const auto at = static_cast<std::size_t>(diff.first - got.begin());
  const std::size_t from = at < 20 ? 0 : at - 20;
  return testing::AssertionFailure()
         << what << ": " << got.size() << " bytes, want " << want.size()
         << "; first difference at offset " << at << "\n  got:  \"" << visible(got.substr(from, 60))
         << "\"\n  want: \"" << visible(want.substr(from, 60)) << '"';
}

struct Outcome {
  std::string out;  // empty when stdout did not lead to a pipe of the test's
  std::string err;
  Exit exit;
};

inline testing::AssertionResult finished(const Outcome& got, int code, std::string_view out,
                                         std::string_view err) {
  std::string problems;
  if (got.exit.signal != 0 || got.exit.code != code) {
    problems += "exit status " + std::to_string(got.exit.code) + " (signal " +
                std::to_string(got.exit.signal) + "), want " + std::to_string(code) + "\n";
  }
  for (const testing::AssertionResult& r :
       {same_bytes("stdout", got.out, out), same_bytes("stderr", got.err, err)}) {
    if (!r) (problems += r.message()) += "\n";
  }
  if (problems.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << problems;
}

// Reads the child's stdout and stderr pipes to their ends, then waits for it.
inline Outcome collect(Child& child, Pipe& out, Pipe& err) {
  out.write.reset();
  err.write.reset();
  const std::array<int, 2> fds{out.read.get(), err.read.get()};
  std::vector<std::string> texts = read_to_end(fds);
  return {std::move(texts[0]), std::move(texts[1]), child.wait()};
}

inline Outcome collect_errors(Child& child, Pipe& err) {
  err.write.reset();
  const std::array<int, 1> fds{err.read.get()};
  std::vector<std::string> texts = read_to_end(fds);
  return {"", std::move(texts[0]), child.wait()};
}

// stdin is the given descriptor (kClosed: none); stdout and stderr are pipes.
inline Outcome run_from(std::vector<std::string> args, int in, const char* program = kFieldsift) {
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start(std::move(args), {in, out.write.get(), err.write.get()}, program);
  return collect(child, out, err);
}

// stdout is the given descriptor (kClosed: none); only stderr is read.
inline Outcome run_into(std::vector<std::string> args, int in, int out,
                        const char* program = kFieldsift) {
  Pipe err = make_pipe();
  Child child = start(std::move(args), {in, out, err.write.get()}, program);
  return collect_errors(child, err);
}

// stdin is a pipe that input is fed into, at the given pace, while the
// output is read.
inline Outcome run_piped(std::vector<std::string> args, std::string input, Pace pace = {},
                         const char* program = kFieldsift) {
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start(std::move(args), {in.read.get(), out.write.get(), err.write.get()}, program);
  in.read.reset();
  const Feeder feeder(std::move(in.write), std::move(input), pace);
  return collect(child, out, err);
}

inline std::string contents_of(const std::string& path) {
  const Fd file = open_path(path.c_str(), O_RDONLY);
  return read_up_to(file.get(), static_cast<std::size_t>(file_size(file.get())));
}

template <typename Case>
inline std::string label_of(const testing::TestParamInfo<Case>& info) {
  return info.param.label;
}

}  // namespace fieldsift::e2e
