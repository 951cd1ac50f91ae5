// SPDX-License-Identifier: BSD-2-Clause
#include "textio/error_report.h"

#include "textio/line.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

void put(TextOutput& err, std::string_view text) {
  (void)text_write(err, bytes_of(text));  // nowhere left to tell of a failure
}

}  // namespace

void report_error(TextOutput& err, std::string_view prefix, std::string_view description) {
  put(err, prefix);
  put(err, ": ");
  put(err, description);
  put(err, "\n");
}

void report_error(TextOutput& err, std::string_view prefix, int error) {
  report_error(err, prefix, error_description(error));
}

void report_error(TextOutput& err, std::string_view program, std::string_view name,
                  std::string_view description) {
  put(err, program);
  put(err, ": ");
  report_error(err, name, description);
}

}  // namespace fieldsift
