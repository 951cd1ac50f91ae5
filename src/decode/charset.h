// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "decode/charset_data.h"

namespace fieldsift {

// The charset a name in an encoded word gives (ASCII letters compared
// without regard to case); null for a name we do not know.
[[nodiscard]] const Charset* find_charset(std::span<const unsigned char> name);

}  // namespace fieldsift
