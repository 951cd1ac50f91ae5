// The decoder's driver for compare_decoding.py: reads values from standard
// input, one a line, and writes each with its encoded words decoded, one a
// line, escaped as a TSV row escapes a value (\\, \t, \r, \n), so that the
// comparison can read the program's own rows the same way.

#include <cstdio>
#include <string>
#include <string_view>

#include "bytes/byte_vector.h"
#include "decode/encoded_words.h"

namespace {

void write_escaped(std::span<const unsigned char> value, std::string& out) {
  for (const unsigned char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += static_cast<char>(c);
    }
  }
  out += '\n';
}

}  // namespace

int main() {
  std::string input;
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;) input.append(chunk, n);
  std::string output;
  fieldsift::ByteVector decoded;
  for (std::size_t start = 0; start < input.size();) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    const std::string_view value = std::string_view(input).substr(start, end - start);
    decoded.clear();
    if (!fieldsift::decode_words(
            {reinterpret_cast<const unsigned char*>(value.data()), value.size()}, decoded)) {
      std::fputs("decode_values: out of memory\n", stderr);
      return 2;
    }
    write_escaped(decoded.bytes(), output);
    start = end + 1;
  }
  return std::fwrite(output.data(), 1, output.size(), stdout) == output.size() &&
                 std::fflush(stdout) == 0
             ? 0
             : 2;
}
