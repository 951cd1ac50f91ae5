// SPDX-License-Identifier: BSD-2-Clause
#include "textio/error_report.h"

#include "textio/platform.h"

namespace fieldsift {
namespace {

void put(TextStream& err, std::string_view text) {
  // Text is bytes, and no other cast says so.
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  (void)text_write(err, {bytes, text.size()});  // nowhere left to tell of a failure
}

}  // namespace

void report_error(TextStream& err, std::string_view prefix, std::string_view description) {
  put(err, prefix);
  put(err, ": ");
  put(err, description);
  put(err, "\n");
}

void report_error(TextStream& err, std::string_view prefix, int error) {
  report_error(err, prefix, error_description(error));
}

}  // namespace fieldsift
