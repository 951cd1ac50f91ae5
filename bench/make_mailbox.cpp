// Writes a generated mailbox of a given size, the same bytes on every run,
// and optionally the exact outputs `fieldsift NAME` and headsift must give
// for it.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "mailbox.h"
#include "support/header_model.h"
#include "support/line_model.h"

namespace {

using fieldsift::bench::MailboxGenerator;
using fieldsift::model::FieldSelection;

constexpr std::string_view kUsage =
    "usage: make_mailbox [--size MB] [--crlf] [--expected NAME FILE] [--headers FILE] OUTPUT\n"
    "  --size MB               at least MB million bytes of LF text (default 300)\n"
    "  --crlf                  end lines in CR LF (the same messages as without)\n"
    "  --expected NAME FILE    write to FILE what `fieldsift NAME` must output\n"
    "  --headers FILE          write to FILE what headsift must output\n";

// Text is produced and written in chunks of about this size.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

struct Options {
  double size_mb = 300;
  bool crlf = false;
  std::optional<std::string> name;  // set with expected_path
  std::string expected_path;
  std::string headers_path;  // empty: none wanted
  std::string output_path;
};

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--size" && i + 1 < argc) {
      char* end = nullptr;
      options.size_mb = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(options.size_mb > 0)) return std::nullopt;
    } else if (arg == "--crlf") {
      options.crlf = true;
    } else if (arg == "--expected" && i + 2 < argc) {
      options.name = argv[++i];
      options.expected_path = argv[++i];
    } else if (arg == "--headers" && i + 1 < argc) {
      options.headers_path = argv[++i];
    } else if (!arg.starts_with("-") && options.output_path.empty()) {
      options.output_path = arg;
    } else {
      return std::nullopt;
    }
  }
  if (options.output_path.empty()) return std::nullopt;
  return options;
}

// An output file whose first failure is remembered and reported at close.
struct OutputFile {
  std::string path;
  std::FILE* file = nullptr;
  int error = 0;

  bool open(std::string p) {
    path = std::move(p);
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) error = errno;
    return file != nullptr;
  }
  void write(std::string_view bytes) {
    if (error == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
      error = errno;
  }
  bool close() {
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error == 0) return true;
    std::fprintf(stderr, "make_mailbox: %s: %s\n", path.c_str(), std::strerror(error));
    return false;
  }
};

// Stops after the first message that brings the LF text to `target` bytes,
// as make_mailbox() does, so the micro-benchmarks see the same messages.
// Every chunk is whole messages, so each starts a message as an input does
// and the header model can take it on its own.
bool generate(const Options& options, OutputFile& out, OutputFile* expected_out,
              OutputFile* headers_out) {
  const auto target = static_cast<std::size_t>(options.size_mb * 1e6);
  MailboxGenerator generator;
  std::optional<FieldSelection> expected;
  if (options.name) expected.emplace(*options.name);
  std::string text, expected_text;
  for (std::size_t made = 0; made < target;) {
    text.clear();
    while (text.size() < kChunkSize && made + text.size() < target) generator.append_message(text);
    made += text.size();
    const std::string mail = options.crlf ? fieldsift::model::with_crlf_line_ends(text) : text;
    out.write(mail);
    if (headers_out != nullptr) headers_out->write(fieldsift::model::header_blocks(mail));
    if (expected) {
      expected_text.clear();
      expected->feed_text(text, expected_text);
      expected_out->write(expected_text);
    }
  }
  bool ok = out.close();
  if (expected_out != nullptr) ok = expected_out->close() && ok;
  if (headers_out != nullptr) ok = headers_out->close() && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parse_options(argc, argv);
  if (!options) {
    std::fputs(kUsage.data(), stderr);
    return 2;
  }
  OutputFile out;
  OutputFile expected_out;
  OutputFile headers_out;
  const bool headers = !options->headers_path.empty();
  if (!out.open(options->output_path) ||
      (options->name && !expected_out.open(options->expected_path)) ||
      (headers && !headers_out.open(options->headers_path))) {
    const OutputFile& failed =
        out.file == nullptr ? out : (expected_out.error != 0 ? expected_out : headers_out);
    std::fprintf(stderr, "make_mailbox: %s: %s\n", failed.path.c_str(),
                 std::strerror(failed.error));
    return 1;
  }
  return generate(*options, out, options->name ? &expected_out : nullptr,
                  headers ? &headers_out : nullptr)
             ? 0
             : 1;
}
