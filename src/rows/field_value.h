// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

namespace fieldsift {

// A named field of one message, as the scanner found it.
struct FieldValue {
  std::span<const unsigned char> name;   // as given, without its colon
  std::span<const unsigned char> value;  // empty when absent
  bool present = false;
};

}  // namespace fieldsift
