// Micro-benchmarks of the hot loops, through the program's own interfaces,
// over a generated mailbox held in memory. Each reports bytes per second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/byte_vector.h"
#include "bytes/bytes_of.h"
#include "decode/encoded_words.h"
#include "filter/header_selector.h"
#include "mailbox.h"
#include "rows/row_sink.h"
#include "run.h"
#include "support/line_model.h"
#include "support/row_model.h"
#include "textio/line_reader.h"
#include "textio/line_writer.h"
#include "textio/platform/byte_channel.h"
#include "textio/scan/kernel_set.h"
#include "textio/text_mode.h"

namespace fieldsift {
namespace {

constexpr std::size_t kMailboxBytes = 4'000'000;

// Serves bytes from memory as a disk file would, once through or round and
// round without end; writes are counted and dropped.
class MemoryChannel final : public ByteChannel {
 public:
  explicit MemoryChannel(std::string_view bytes = {}, bool repeat = false)
      : bytes_(bytes), repeat_(repeat) {}

  StreamKind kind() const override { return StreamKind::DiskFile; }

  IoResult read(std::span<unsigned char> into) override {
    if (pos_ == bytes_.size() && repeat_) pos_ = 0;
    const std::size_t n = std::min(into.size(), bytes_.size() - pos_);
    std::memcpy(into.data(), bytes_.data() + pos_, n);
    pos_ += n;
    read_ += n;
    return {n, 0};
  }
  bool ready() override { return true; }
  IoResult write(std::span<const unsigned char> bytes) override {
    written_ += bytes.size();
    return {bytes.size(), 0};
  }
  bool step_back() override {
    pos_ = (pos_ == 0 ? bytes_.size() : pos_) - 1;
    --read_;
    return true;
  }

  [[nodiscard]] std::size_t bytes_read() const { return read_; }
  [[nodiscard]] std::size_t bytes_written() const { return written_; }

 private:
  std::string_view bytes_;
  bool repeat_;
  std::size_t pos_ = 0;  // pos_ <= bytes_.size(); the next read starts here
  std::size_t read_ = 0;
  std::size_t written_ = 0;
};

const std::string& mailbox(bool crlf) {
  static const std::string lf = bench::make_mailbox(kMailboxBytes);
  static const std::string crlf_text = model::with_crlf_line_ends(lf);
  return crlf ? crlf_text : lf;
}

std::int64_t processed(const benchmark::State& state, std::size_t bytes_per_iteration) {
  return static_cast<std::int64_t>(state.iterations()) *
         static_cast<std::int64_t>(bytes_per_iteration);
}

// One refill of the stream buffer from the same 128 KiB of mail, again and again.
void text_read_large(benchmark::State& state) {
  MemoryChannel channel(std::string_view(mailbox(state.range(0) != 0)).substr(0, kLargeReadSize),
                        true);
  TextInput in{channel};
  std::vector<unsigned char> buffer(read_buffer_size(in));
  for (auto _ : state) {
    const IoResult r = text_read(in, buffer);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(channel.bytes_read()));
}
BENCHMARK(text_read_large)->ArgName("crlf")->Arg(0)->Arg(1);

// The byte scans over 128 KiB of LF mail: every start of a line that begins
// with s or S, and a search for the line end from each line start, as for a
// line handed out.
void scan_line_starts(benchmark::State& state) {
  const auto* begin = reinterpret_cast<const unsigned char*>(mailbox(false).data());
  const unsigned char* const end = begin + kLargeReadSize;
  for (auto _ : state) {
    std::size_t starts = 0;
    for (const unsigned char* p = begin;
         (p = active_kernels().find_line_start(p, end, ByteMatch{'s', 0x20})) != end; ++starts) {
    }
    benchmark::DoNotOptimize(starts);
  }
  state.SetBytesProcessed(processed(state, kLargeReadSize));
}
BENCHMARK(scan_line_starts);

void scan_line_ends(benchmark::State& state) {
  const std::span<const unsigned char> bytes(
      reinterpret_cast<const unsigned char*>(mailbox(false).data()), kLargeReadSize);
  for (auto _ : state) {
    std::size_t lines = 0;
    std::optional<LineEnd> end = text_find_line_end(bytes, 0);
    for (; end; end = text_find_line_end(bytes, end->next)) ++lines;
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(processed(state, kLargeReadSize));
}
BENCHMARK(scan_line_ends);

void read_line(benchmark::State& state) {
  const std::string& mail = mailbox(state.range(0) != 0);
  std::vector<unsigned char> line_buffer(kLineBufferSize);
  for (auto _ : state) {
    MemoryChannel channel(mail);
    TextInput in{channel};
    StreamBuffer buffer;
    LineReader reader(in, buffer);
    while (const std::optional<Line> line = reader.read_line(line_buffer))
      benchmark::DoNotOptimize(line->head.data());
  }
  state.SetBytesProcessed(processed(state, mail.size()));
}
BENCHMARK(read_line)->ArgName("crlf")->Arg(0)->Arg(1);

void header_selector_feed(benchmark::State& state) {
  const std::string& mail = mailbox(false);
  std::vector<std::span<const unsigned char>> lines;
  const auto* bytes = reinterpret_cast<const unsigned char*>(mail.data());
  for (std::size_t start = 0, end; start < mail.size(); start = end + 1) {
    end = mail.find('\n', start);
    lines.emplace_back(bytes + start, end - start);
  }
  for (auto _ : state) {
    HeaderSelector selector("Subject:");
    std::size_t selected = 0;
    for (const auto& line : lines) selected += selector.feed(line) ? 1 : 0;
    benchmark::DoNotOptimize(selected);
  }
  state.SetBytesProcessed(processed(state, mail.size()));
}
BENCHMARK(header_selector_feed);

// Decoding one field's value: one without encoded words (a look for "=?"
// and a copy), one of words in our own tables' charsets (UTF-8, ISO-8859-1,
// KOI8-R), and one in ISO-2022-JP, which the system's converter reads.
void decode_value(benchmark::State& state) {
  constexpr std::array<std::string_view, 3> kValues = {
      "Re: Quarterly figures for the north-east region, as discussed at Monday's meeting",
      "Re: =?UTF-8?B?VmnFoWVuYW1qZW5za2kgcGnFoXRvbGo=?= =?ISO-8859-1?Q?Andr=E9_Ma=EEtre?= "
      "=?koi8-r?B?8NLJ18XU?=",
      "Re: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?="};
  const std::string_view value = kValues[static_cast<std::size_t>(state.range(0))];
  const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(value.data()),
                                             value.size());
  ByteVector out;
  for (auto _ : state) {
    out.clear();
    if (!decode_words(bytes, out)) {
      state.SkipWithError("decoding failed");
      break;
    }
    benchmark::DoNotOptimize(out.bytes().data());
  }
  state.SetBytesProcessed(processed(state, value.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(decode_value)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2);

// The whole program over the mailbox, its output counted and dropped; a count
// other than the expected one is an error, not a figure.
void run_mailbox(benchmark::State& state) {
  const std::string& mail = mailbox(state.range(0) != 0);
  const std::string expected = model::expected_output("Subject:", mailbox(false));
  const std::array<const char*, 2> args = {"fieldsift", "Subject:"};
  std::vector<unsigned char> line_area(kLineBufferSize);
  for (auto _ : state) {
    MemoryChannel in(mail), out, err;
    StreamBuffer in_buffer, out_block, out_stage, err_stage;
    TextInput in_text{in};
    TextOutput out_text{out, out_stage}, err_text{err, err_stage};
    LineReader reader(in_text, in_buffer);
    LineWriter writer(out_text, out_block);
    const RunStreams streams{reader, writer, err_text, line_area};
    const int status = finish_output(writer, err_text, "", run(args, streams));
    if (status != kExitSuccess || out.bytes_written() != expected.size()) {
      state.SkipWithError("fieldsift's output differs from the expected lines");
      break;
    }
  }
  state.SetBytesProcessed(processed(state, mail.size()));
}
BENCHMARK(run_mailbox)->ArgName("crlf")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Three fields out of each header of the mailbox, handed over where they
// stand in it as headsift hands them over, into rows that are counted and
// dropped: per header byte, what headsift -f adds to finding the headers.
void rows_of_headers(benchmark::State& state) {
  const std::string_view kNames = "subject,date,message-id";
  const auto format = state.range(0) != 0 ? model::Rows::Json : model::Rows::Tsv;
  const std::string& mail = mailbox(false);
  const std::vector<model::Message> messages = model::messages(mail);
  const std::size_t expected = model::rows(format, mail, "stdin", kNames)->size();
  std::size_t header_bytes = 0;
  for (const model::Message& m : messages) header_bytes += m.header.size();
  const std::span<const unsigned char> bytes = bytes_of(mail);
  const ColumnListResult list = parse_column_list(kNames);
  for (auto _ : state) {
    MemoryChannel out;
    StreamBuffer out_block, out_stage;
    TextOutput out_text{out, out_stage, StreamMode::Binary};
    LineWriter writer(out_text, out_block);
    RowSink sink(list.list, writer,
                 format == model::Rows::Json ? RowFormat::JsonLines : RowFormat::Tsv, false);
    sink.begin_input("stdin");
    for (const model::Message& m : messages) {
      sink.begin_message(m.offset);
      sink.header_bytes(bytes.subspan(m.offset, m.header.size()));  // no header is cut short
      sink.end_header();
    }
    if (!writer.flush() || out.bytes_written() != expected) {
      state.SkipWithError("the rows differ from the model's");
      break;
    }
  }
  state.SetBytesProcessed(processed(state, header_bytes));
}
BENCHMARK(rows_of_headers)->ArgName("json")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fieldsift

BENCHMARK_MAIN();
