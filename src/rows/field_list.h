// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <string_view>

namespace fieldsift {

// Why a list of field names was refused.
enum class FieldListError { None, EmptyList, EmptyName, BeginsWithEquals, NamedTwice };

// The words for a refusal; for BeginsWithEquals and NamedTwice, the name
// follows them after ": ".
[[nodiscard]] std::string_view describe(FieldListError error);

// The names of one "NAME[,NAME...]" argument in the order given, each
// without the colon it may end with and the spaces and tabs around it, its
// other bytes as they are. The argument is not
// copied: it must outlive the list.
class FieldList {
 public:
  struct Sentinel {};

  class Iterator {
   public:
    explicit Iterator(std::string_view rest, bool done = false) : rest_(rest), done_(done) {}
    [[nodiscard]] std::string_view operator*() const;
    Iterator& operator++();
    [[nodiscard]] bool operator==(Sentinel /*end*/) const { return done_; }

   private:
    std::string_view rest_;  // the current name and, after a comma, those that follow it
    bool done_ = false;
  };

  FieldList() = default;
  FieldList(std::string_view argument, std::size_t size, std::size_t longest)
      : argument_(argument), size_(size), longest_(longest) {}

  [[nodiscard]] Iterator begin() const { return Iterator(argument_, size_ == 0); }
  [[nodiscard]] static Sentinel end() { return {}; }
  [[nodiscard]] std::size_t size() const { return size_; }
  // The length of the longest name.
  [[nodiscard]] std::size_t longest() const { return longest_; }

 private:
  std::string_view argument_;
  std::size_t size_ = 0;
  std::size_t longest_ = 0;
};

struct FieldListResult {
  FieldList fields;  // empty unless error is None
  FieldListError error = FieldListError::None;
  // For BeginsWithEquals, that name; for NamedTwice, the later of the two;
  // each as given, without its colon.
  std::string_view name;
};

[[nodiscard]] FieldListResult parse_field_list(std::string_view argument);

}  // namespace fieldsift
