// SPDX-License-Identifier: BSD-2-Clause
#include "headsift_run.h"

#include <cerrno>
#include <string_view>

#include "bytes/bytes_of.h"
#include "headsift_options.h"
#include "message/header_blocks.h"
#include "message/header_copier.h"
#include "message/input_frame.h"
#include "rows/column_list.h"
#include "rows/row_sink.h"
#include "textio/byte_reader.h"
#include "textio/error_report.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

constexpr std::string_view kUsage =
    "usage: headsift [-f COLUMN[,COLUMN...] [--json | --csv [--bom]] [--decode]] [FILE...]\n";
constexpr std::string_view kHelp =
    "Copies the header of each mail message in the FILEs, or in standard input\n"
    "(also named -), to standard output, with the empty line that ends it. An\n"
    "input whose first line begins \"From \" is a mailbox, where each line\n"
    "\"From \" outside a header begins a message; any other input is one message.\n"
    "With -f, one line a message instead: the input's name, the message's offset\n"
    "and each column, TAB-separated; --json writes them as JSON Lines, --csv as\n"
    "CSV (--bom: after a UTF-8 byte order mark), and --decode encoded words\n"
    "(=?charset?B|Q?...?=) as UTF-8. A column is a field's first value, unfolded\n"
    "(NAME), a view of it (NAME:iso, :epoch, :addr, :name, :id), or :size or\n"
    ":parent.\n";
constexpr std::string_view kVersion = "headsift " FIELDSIFT_VERSION "\n";

// One input: where its bytes come from, and what it is.
struct Input {
  ByteChannel& channel;
  bool is_output;         // reading it would meet the program's own output
  std::string_view name;  // as reports give it
  InputKind kind;
};

// Hands the mail that an input's bytes hold to the copier, to the end of the
// input or of its mail. Answers false if a write failed first.
template <HeaderSink Sink>
bool copy_mail(HeadsiftStreams streams, ByteReader& reader, HeaderCopier<Sink>& copier,
               InputKind kind) {
  InputFrame frame(kind);
  while (!frame.ended()) {
    // What is held goes on down a live pipeline before a read that would
    // wait for the input's writer.
    if (reader.caught_up()) (void)streams.out.flush();
    const std::span<const unsigned char> bytes = reader.read();
    if (bytes.empty()) break;
    frame.feed(bytes, copier);
    if (streams.out.failed()) return false;
  }
  frame.end(copier);
  if (reader.failed()) {
    copier.fail();
  } else {
    copier.finish();
  }
  return true;
}

// Hands the headers of one input to the sink, to the end or until a write
// fails. Answers false if it cannot be read, after saying why.
template <HeaderSink Sink>
bool copy_input(HeadsiftStreams streams, Sink& sink, const Input& input) {
  if (input.is_output) {
    report_error(streams.err, kHeadsift, input.name, kInputIsOutput);
    return false;
  }
  TextInput in(input.channel, kHeadsiftMode);
  ByteReader reader(in, streams.in_buffer);
  sink.begin_input(input.name);
  HeaderCopier<Sink> copier(sink);
  // After a failed write the caller stops; the failure is its to report.
  if (!copy_mail(streams, reader, copier, input.kind)) return true;
  const int error = reader.failed() ? reader.error() : sink.error();
  if (error == 0) return true;
  report_error(streams.err, kHeadsift, input.name, error_description(error));
  return false;
}

// Standard input, which no name makes an .emlx file.
Input standard_input(HeadsiftStreams streams) {
  return {streams.in, streams.input_is_output, "stdin", InputKind::Plain};
}

// Each file one argument names, in turn: answers false if any cannot be read.
template <HeaderSink Sink>
bool copy_argument(HeadsiftStreams streams, Sink& sink, const char* argument) {
  if (std::string_view(argument) == "-") return copy_input(streams, sink, standard_input(streams));
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
    const Input file{streams.named, streams.named.is_output(), f.name, kind_of_file(f.name)};
    ok = copy_input(streams, sink, file) && ok;
    streams.named.close();
  }
  return ok;
}

// Every FILE in turn, or standard input when none is named.
template <HeaderSink Sink>
int copy_all(std::span<const char* const> args, HeadsiftStreams streams, Sink& sink) {
  bool ok = true;
  bool any = false;  // a FILE was named
  FileArguments files(args);
  for (const char* file = files.next(); file != nullptr && !streams.out.failed();
       file = files.next()) {
    any = true;
    ok = copy_argument(streams, sink, file) && ok;
  }
  if (!any) ok = copy_input(streams, sink, standard_input(streams));
  return ok ? kExitSuccess : kExitFailure;
}

int misused(HeadsiftStreams streams, std::string_view culprit, std::string_view why) {
  report_error(streams.err, kHeadsift, culprit, why);
  (void)text_write(streams.err, bytes_of(kUsage));  // nowhere left to tell of a failure
  return kExitFailure;
}

// The file -o names takes standard output's place before anything is read.
// Nothing happens to it on a usage error.
bool open_output(HeadsiftStreams& streams, std::string_view name) {
  if (name.data() == nullptr) return true;                  // no -o
  const int error = streams.output_file.open(name.data());  // the end of an argument
  if (error != 0) {
    report_error(streams.err, kHeadsift, name, error_description(error));
    return false;
  }
  streams.out.reopened();
  streams.input_is_output = streams.output_file.input_is_output();
  return true;
}

// One row a message, of the fields the list names.
int write_rows(std::span<const char* const> args, HeadsiftStreams streams,
               const HeadsiftOptions& o) {
  if (!open_output(streams, o.output)) return kExitFailure;
  write_utf8_as_text(Handle::Output);  // rows of text, not header bytes
  const RowFormat format = o.json ? RowFormat::JsonLines : o.csv ? RowFormat::Csv : RowFormat::Tsv;
  RowSink sink(o.columns, streams.out, format, o.decode);
  sink.write_start(o.bom);
  return copy_all(args, streams, sink);
}

}  // namespace

int run_headsift(std::span<const char* const> args, HeadsiftStreams streams) {
  const HeadsiftOptions o = read_options(args);
  switch (o.request) {
    case Request::Help:
      (void)streams.out.write_bytes(bytes_of(kUsage));  // a failure shows at the flush
      (void)streams.out.write_bytes(bytes_of(kHelp));
      return kExitSuccess;
    case Request::Version:
      (void)streams.out.write_bytes(bytes_of(kVersion));
      return kExitSuccess;
    case Request::Misused:
      return misused(streams, o.culprit, o.why);
    case Request::NoMemory:
      report_error(streams.err, kHeadsift, ENOMEM);
      return kExitFailure;
    case Request::Rows:
      return write_rows(args, streams, o);
    case Request::Blocks:
      break;
  }
  if (!open_output(streams, o.output)) return kExitFailure;
  HeaderBlocks blocks(streams.out);
  return copy_all(args, streams, blocks);
}

}  // namespace fieldsift
