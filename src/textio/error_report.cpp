// SPDX-License-Identifier: BSD-2-Clause
#include "textio/error_report.h"

#include <array>
#include <cstddef>
#include <span>

#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

// A report composed whole before it goes out, so that it takes one write
// and the reports of programs sharing standard error never interleave. One
// longer than the area goes in more writes.
class ReportLine {
 public:
  explicit ReportLine(TextOutput& err) : err_(err) {}
  ReportLine(const ReportLine&) = delete;
  ReportLine& operator=(const ReportLine&) = delete;
  ReportLine(ReportLine&&) = delete;
  ReportLine& operator=(ReportLine&&) = delete;
  ~ReportLine() = default;

  void add(std::string_view text) {
    for (const char c : text) put(static_cast<unsigned char>(c));
  }

  // A name comes from outside and may hold any byte; a control byte would
  // end the report's line early or rewrite the screen.
  void add_name(std::string_view name) {
    for (const char c : name) put(shown_in_name(static_cast<unsigned char>(c)));
  }

  void send() {
    (void)text_write(err_, std::span(area_).first(end_));  // nowhere left to tell of a failure
    end_ = 0;
  }

 private:
  void put(unsigned char byte) {
    if (end_ == area_.size()) send();
    area_[end_++] = byte;
  }

  TextOutput& err_;
  std::array<unsigned char, kReportLineSize> area_{};
  std::size_t end_ = 0;  // area_[0, end_) is composed and not yet handed over
};

}  // namespace

void report_error(TextOutput& err, std::string_view prefix, std::string_view description) {
  ReportLine line(err);
  line.add(prefix);
  line.add(": ");
  line.add(description);
  line.add("\n");
  line.send();
}

void report_error(TextOutput& err, std::string_view prefix, int error) {
  report_error(err, prefix, error_description(error));
}

void report_error(TextOutput& err, std::string_view program, std::string_view name,
                  std::string_view description) {
  ReportLine line(err);
  line.add(program);
  line.add(": ");
  line.add_name(name);
  line.add(": ");
  line.add(description);
  line.add("\n");
  line.send();
}

}  // namespace fieldsift
