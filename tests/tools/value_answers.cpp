// The value parsers' driver for compare_values.py: reads cases from standard
// input, one a line, as tests/data/value_cases.txt writes them (a kind, then
// its values, separated by TABs; answers after them are ignored), and writes
// each again with the parsers' answers in place of those.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/byte_vector.h"
#include "support/value_case.h"
#include "values/address_list.h"
#include "values/date_time.h"
#include "values/msg_ids.h"

namespace {

using fieldsift::testing::escape_field;
using fieldsift::testing::ValueCase;

int run() {
  std::string input;
  std::vector<char> chunk(std::size_t{1} << 16);
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0;)
    input.append(chunk.data(), n);
  std::string output;
  for (std::size_t start = 0; start < input.size();) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    const std::optional<ValueCase> c =
        ValueCase::parse(std::string_view(input).substr(start, end - start));
    start = end + 1;
    if (!c) {
      std::fputs("value_answers: a line that is no case\n", stderr);
      return 2;
    }
    output += c->kind;
    for (const std::string& value : c->values) output += "\t" + escape_field(value);
    for (const std::string& answer : fieldsift::testing::answers(*c))
      output += "\t" + escape_field(answer);
    output += '\n';
  }
  return std::fwrite(output.data(), 1, output.size(), stdout) == output.size() &&
                 std::fflush(stdout) == 0
             ? 0
             : 2;
}

}  // namespace

int main() { return run(); }
