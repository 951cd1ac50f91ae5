#pragma once

// A made-up but realistic mailbox, a plain function of a seed, so every
// machine and every standard library makes the same bytes. What fieldsift
// must write for it comes from the tests' model of the rules
// (tests/support/line_model.h), which shares no code with the program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fieldsift::bench {

inline constexpr std::uint64_t kMailboxSeed = 0x6d61696c626f7831;

// splitmix64: small, fast, and fully defined here, unlike the standard
// library's distributions, whose results differ between implementations.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  // A number in [0, n); the bias of the modulo is far too small to matter here.
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  // A number in [low, high].
  std::size_t between(std::size_t low, std::size_t high) { return low + below(high - low + 1); }
  // True in `percent` out of 100 calls.
  bool chance(std::size_t percent) { return below(100) < percent; }

 private:
  std::uint64_t state_;
};

// Makes mbox messages one after another: a "From " separator, folded
// Received: chains, the usual headers, an empty line and a body. Every line
// ends in LF and holds neither CR, NUL nor 0x1A.
class MailboxGenerator {
 public:
  explicit MailboxGenerator(std::uint64_t seed = kMailboxSeed) : random_(seed) {}

  // Appends the next message to out.
  void append_message(std::string& out);

 private:
  void append_headers(std::string& out);
  void append_body(std::string& out);
  void append_huge_line(std::string& out);

  Random random_;
  std::uint64_t messages_ = 0;  // messages made so far
};

// The first messages of the mailbox, at least `bytes` of them in all.
[[nodiscard]] std::string make_mailbox(std::size_t bytes);

}  // namespace fieldsift::bench
