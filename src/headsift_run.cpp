// SPDX-License-Identifier: BSD-2-Clause
#include "headsift_run.h"

#include <string_view>

#include "message/header_blocks.h"
#include "message/header_copier.h"
#include "textio/byte_reader.h"
#include "textio/error_report.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

constexpr std::string_view kUsage = "usage: headsift [FILE...]\n";
constexpr std::string_view kHelp =
    "Copies the header of each mail message in the FILEs, or in standard input\n"
    "(also named -), to standard output, with the empty line that ends it. An\n"
    "input whose first line begins \"From \" is a mailbox, where each line\n"
    "\"From \" outside a header begins a message; any other input is one message.\n";
constexpr std::string_view kVersion = "headsift " FIELDSIFT_VERSION "\n";

enum class Request { Copy, Help, Version, Unknown };

struct Options {
  Request request = Request::Copy;
  const char* unknown = nullptr;       // the option not understood
  std::span<const char* const> files;  // what follows the options
  std::size_t options_end = 0;         // the index in files of a "--" that ended them, or none
};

// Options may stand anywhere before a "--"; any of them is understood
// before a byte is read.
Options read_options(std::span<const char* const> args) {
  Options o;
  o.files = args.subspan(1);
  o.options_end = o.files.size();
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    const std::string_view arg = o.files[i];
    if (arg == "--") {
      o.options_end = i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') continue;  // a FILE, "-" among them
    if (arg == "--help" || arg == "--version") {
      o.request = arg == "--help" ? Request::Help : Request::Version;
    } else {
      o.request = Request::Unknown;
      o.unknown = o.files[i];
    }
    break;
  }
  return o;
}

// Copies the headers of one input to the end, or until a write fails.
// Answers false if it cannot be read, after saying why.
bool copy_input(HeadsiftStreams streams, ByteChannel& channel, bool is_output,
                std::string_view name) {
  if (is_output) {
    report_error(streams.err, kHeadsift, name, kInputIsOutput);
    return false;
  }
  TextInput in(channel, StreamMode::Binary);
  ByteReader reader(in, streams.in_buffer);
  HeaderBlocks blocks(streams.out);
  HeaderCopier<HeaderBlocks> copier(blocks);
  for (;;) {
    // What is held goes on down a live pipeline before a read that would
    // wait for the input's writer.
    if (reader.caught_up()) (void)streams.out.flush();
    const std::span<const unsigned char> bytes = reader.read();
    if (bytes.empty()) break;
    copier.feed(bytes);
    if (streams.out.failed()) return true;  // the caller stops; the failure is its to report
  }
  copier.finish();
  if (!reader.failed()) return true;
  report_error(streams.err, kHeadsift, name, error_description(reader.error()));
  return false;
}

// Each file one argument names, in turn: answers false if any cannot be read.
bool copy_argument(HeadsiftStreams streams, const char* argument) {
  if (std::string_view(argument) == "-")
    return copy_input(streams, streams.in, streams.input_is_output, "stdin");
  bool ok = true;
  ArgumentFiles files(argument);
  for (ArgumentFiles::File f = files.next(); f.name != nullptr && !streams.out.failed();
       f = files.next()) {
    const int error = f.error != 0 ? f.error : streams.named.open(f.name);
    if (error != 0) {
      report_error(streams.err, kHeadsift, f.name, error_description(error));
      ok = false;
      continue;
    }
    ok = copy_input(streams, streams.named, streams.named.is_output(), f.name) && ok;
    streams.named.close();
  }
  return ok;
}

}  // namespace

int run_headsift(std::span<const char* const> args, HeadsiftStreams streams) {
  const Options o = read_options(args);
  switch (o.request) {
    case Request::Help:
      (void)streams.out.write_bytes(bytes_of(kUsage));  // a failure shows at the flush
      (void)streams.out.write_bytes(bytes_of(kHelp));
      return kExitSuccess;
    case Request::Version:
      (void)streams.out.write_bytes(bytes_of(kVersion));
      return kExitSuccess;
    case Request::Unknown:
      report_error(streams.err, kHeadsift, o.unknown, "unknown option");
      (void)text_write(streams.err, bytes_of(kUsage));  // nowhere left to tell of a failure
      return kExitFailure;
    case Request::Copy:
      break;
  }
  bool ok = true;
  bool any = false;  // a FILE was named
  for (std::size_t i = 0; i < o.files.size() && !streams.out.failed(); ++i) {
    if (i == o.options_end) continue;
    any = true;
    ok = copy_argument(streams, o.files[i]) && ok;
  }
  if (!any) ok = copy_input(streams, streams.in, streams.input_is_output, "stdin");
  return ok ? kExitSuccess : kExitFailure;
}

}  // namespace fieldsift
