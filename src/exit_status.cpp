// SPDX-License-Identifier: BSD-2-Clause
#include "exit_status.h"

#include "textio/error_report.h"
#include "textio/platform/platform.h"

namespace fieldsift {

int finish_output(LineWriter& out, TextOutput& err, std::string_view program, int status) {
  (void)out.flush();  // its failure shows in error() below
  if (out.error() == 0) return status;
  const std::string_view description = error_description(out.error());
  if (program.empty()) {
    report_error(err, "stdout", description);
  } else {
    report_error(err, program, "stdout", description);
  }
  return kExitFailure;
}

}  // namespace fieldsift
