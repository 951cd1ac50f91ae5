#pragma once

// Random input for property tests, drawn from a small alphabet so that the
// bytes that matter (line ends, the mark, the name's letters) come often.

#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace fieldsift::testing {

inline std::string random_bytes(std::mt19937& rng, std::size_t size, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string s;
  for (std::size_t i = 0; i < size; ++i) s += alphabet[pick(rng)];
  return s;
}

}  // namespace fieldsift::testing
